// licytek-cli allegro settings|categories|parameters|products|create: new offers on Allegro,
// from a form and its offer data (NAME.oferta.json), and the look-ups that fill the offer data.
#include <cstdio>
#include <string>
#include <variant>

#include "cli/AllegroShared.h"
#include "cli/CommandSupport.h"
#include "model/FileIo.h"
#include "offer/OfferData.h"
#include "publish/OfferCreation.h"
#include "publish/TokenStore.h"

namespace licytek::cli {
namespace {

namespace pub = licytek::publish;

constexpr std::string_view kNewOfferHelp =
    "Usage: licytek-cli allegro settings [--sandbox]\n"
    "       licytek-cli allegro categories TEXT [--sandbox]\n"
    "       licytek-cli allegro parameters CATEGORY_ID [--required] [--sandbox]\n"
    "       licytek-cli allegro products --ean EAN [--sandbox]\n"
    "       licytek-cli allegro create (--project FILE | FORM.json) [--offer FILE]\n"
    "                                  [--activate] [--dry-run] [--sandbox]\n"
    "\n"
    "settings    the seller's shipping rates, return policies, complaint policies,\n"
    "            warranties, responsible producers and persons: each with its name and id,\n"
    "            under the offer data's key that names it. Reading them needs the sign-in\n"
    "            to include reading the seller's settings; without it, sign in again.\n"
    "categories  the categories Allegro suggests for TEXT (a title): ID<TAB>PATH a line.\n"
    "parameters  the category's parameters: ID<TAB>NAME<TAB>KIND and what it takes (unit,\n"
    "            required, a range, several values, the allowed values of a dictionary).\n"
    "            --required shows only those Allegro requires.\n"
    "products    the catalogue's products with the EAN: UUID<TAB>NAME<TAB>CATEGORY_ID.\n"
    "create      puts a new offer on Allegro from the form (the project file, or a JSON form)\n"
    "            and its offer data, FILE of --offer, by default beside the project:\n"
    "            zapis.ltk has zapis.oferta.json (a form rower.json has rower.oferta.json).\n"
    "            The title is the form's auction header, the description and its pictures\n"
    "            the export's (export allegro), and \"zdjęcia\" add pictures to the gallery.\n"
    "            It saves a draft: \"Szkic ID utworzony — ADDRESS\", with what Allegro still\n"
    "            misses in it as warnings; finish it on allegro.pl, or use --activate.\n"
    "            --activate  activates the draft unless Allegro finds gaps in it:\n"
    "                        \"Oferta ID wystawiona\", or \"Oferta ID: Allegro ją sprawdza\n"
    "                        (do 2 godzin)\". Activation needs \"faktura\".\n"
    "            --dry-run   makes only the look-ups: the body that would be sent goes to\n"
    "                        standard output (pictures to be uploaded under their source),\n"
    "                        the summary to standard error.\n"
    "            Every offer carries a signature (\"sygnatura\", else one made from the\n"
    "            title, the EAN or product and the category). Before creating, the seller's\n"
    "            drafts and active offers are searched for it: a match is reported with its\n"
    "            number and nothing is created, so a repeated run never lists the item\n"
    "            twice. Two identical items listed as two offers need signatures of their\n"
    "            own. When Allegro does not answer the creation, it is never sent again:\n"
    "            the offer is looked for by its signature, and otherwise the tool says it is\n"
    "            not known whether it was created (exit status 4); check on allegro.pl\n"
    "            before trying again, as Allegro's list of offers may lag.\n"
    "\n"
    "The offer data is a UTF-8 JSON object; every key is optional:\n"
    "  kategoria        category id; missing: the catalogue product's category, and\n"
    "                   without a product the categories Allegro suggests are listed\n"
    "  ean              GTIN of 8, 12, 13 or 14 digits (check digit verified)\n"
    "  produkt          a catalogue product's UUID; wins over \"ean\"\n"
    "  stan             the condition as the category names it (\"Nowy\", \"Używany\")\n"
    "  parametry        {\"NAME\": \"value\" | [\"value\", ...] | {\"od\": 1, \"do\": 2}}\n"
    "  format           \"kup teraz\" (default) or \"licytacja\"\n"
    "  cena, cena wywoławcza, cena minimalna   \"1 299,00\", \"1299.99\" or \"1299\"\n"
    "  liczba sztuk     1 or more (an auction: 1)\n"
    "  czas trwania     do wyczerpania, 1 dzień, 3 dni, 5 dni, 7 dni, 10 dni, 20 dni, 30 dni\n"
    "  wznawiaj         tak or nie\n"
    "  cennik dostawy, zwroty, reklamacje, gwarancja   names (or ids) from \"settings\"\n"
    "  czas wysyłki     natychmiast, 24 godziny, 2 dni ... 60 dni\n"
    "  faktura          VAT, VAT marża, bez VAT, brak\n"
    "  producent, osoba odpowiedzialna   names from \"settings\"\n"
    "  bezpieczeństwo   the product's safety information (plain text)\n"
    "  przed 13.12.2024 tak: on the market before that day (not for a new item)\n"
    "  sygnatura        the seller's own signature of the offer\n"
    "  zdjęcia          more gallery pictures: addresses or files\n"
    "\n"
    "Exit status: 0 created (or found by its signature); 1 refused by Allegro (several\n"
    "products for the EAN, a refused offer, or --activate with gaps in the draft, which\n"
    "stays); 2 bad offer data (each fault names its key; nothing is sent) or wrong usage;\n"
    "3 not signed in; 4 no answer from Allegro; 130 stopped with Ctrl+C.\n";

void WriteRawDiagnostic(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

Failure SessionFailure(const pub::Failure& failure) {
    if (failure.cancelled) {
        return Failure{kExitInterrupted, "Przerwano."};
    }
    return AllegroFailure(failure);
}

pub::PublishObserver Observer() {
    pub::PublishObserver observer;
    observer.progress = [](std::size_t, std::size_t, const std::string& what) {
        WriteDiagnostic(what);
    };
    observer.waiting = [](pub::Seconds seconds, const std::string& why) {
        WriteDiagnostic("czekam " + std::to_string(seconds) + " s: " + why);
    };
    return observer;
}

// The session and its catalogue for one run of a command.
struct Lookups {
    pub::SessionParts parts;
    std::unique_ptr<pub::OfferCatalogue> catalogue;
};

std::variant<Lookups, Failure> OpenLookups(bool sandbox) {
    auto opened = OpenAllegroSession(sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    Lookups lookups{std::get<pub::SessionParts>(std::move(opened)), nullptr};
    lookups.catalogue =
        std::make_unique<pub::OfferCatalogue>(*lookups.parts.session, pub::CacheFolder());
    return lookups;
}

// ---- settings, categories, parameters, products ----

std::optional<Failure> Settings(pub::OfferCatalogue& catalogue) {
    const pub::PublishObserver observer = Observer();
    std::string out;
    for (const pub::SettingsList list : pub::kAllSettingsLists) {
        auto settings = catalogue.Settings(list, &observer, AllegroInterrupted());
        if (auto* failure = std::get_if<pub::Failure>(&settings)) {
            return SessionFailure(*failure);
        }
        const auto& items = std::get<std::vector<pub::NamedSetting>>(settings);
        std::string title(pub::SettingsTitle(list));
        title[0] = static_cast<char>(title[0] - 'a' + 'A');  // every title starts with a-z
        out += title + " (klucz „" + std::string(offer::KeyName(pub::SettingsKey(list))) + "”):\n";
        if (items.empty()) {
            out += "  (brak)\n";
        }
        for (const pub::NamedSetting& item : items) {
            out += "  " + offer::ShownText(item.name.empty() ? "(bez nazwy)" : item.name, 200) +
                   "\t" + offer::ShownText(item.id, 100) + "\n";
        }
    }
    return WriteToStandardOutput(out);
}

std::optional<Failure> Categories(pub::OfferCatalogue& catalogue, const std::string& text) {
    const pub::PublishObserver observer = Observer();
    auto suggested = catalogue.MatchingCategories(text, &observer, AllegroInterrupted());
    if (auto* failure = std::get_if<pub::Failure>(&suggested)) {
        return SessionFailure(*failure);
    }
    std::string out;
    for (const pub::CategorySuggestion& category :
         std::get<std::vector<pub::CategorySuggestion>>(suggested)) {
        out +=
            offer::ShownText(category.id, 40) + "\t" + offer::ShownText(category.path, 300) + "\n";
    }
    if (out.empty()) {
        WriteDiagnostic("Allegro nie proponuje kategorii dla tego tekstu.");
    }
    return WriteToStandardOutput(out);
}

std::string ParameterLine(const pub::CategoryParameter& parameter) {
    std::string line = offer::ShownText(parameter.id, 40) + "\t" +
                       offer::ShownText(parameter.name, 200) + "\t" +
                       std::string(pub::ParameterKindName(parameter.kind));
    if (!parameter.unit.empty()) {
        line += ", w " + offer::ShownText(parameter.unit, 20);
    }
    if (parameter.required) {
        line += ", wymagany";
    } else if (parameter.requiredForProduct) {
        line += ", wymagany dla produktu";
    }
    if (parameter.range) {
        line += ", zakres od–do";
    }
    if (parameter.multipleChoices) {
        line += ", kilka wartości";
    }
    line += parameter.describesProduct ? ", opisuje produkt" : ", parametr oferty";
    line += "\n";
    if (!parameter.dictionary.empty()) {
        std::vector<std::string> labels;
        for (const pub::DictionaryEntry& entry : parameter.dictionary) {
            labels.push_back(entry.value);
        }
        line += "\twartości: " + offer::QuotedList(labels, 200) + "\n";
    }
    return line;
}

std::optional<Failure> Parameters(pub::OfferCatalogue& catalogue, const std::string& categoryId,
                                  bool requiredOnly) {
    const pub::PublishObserver observer = Observer();
    auto parameters = catalogue.CategoryParameters(categoryId, &observer, AllegroInterrupted());
    if (auto* failure = std::get_if<pub::Failure>(&parameters)) {
        return SessionFailure(*failure);
    }
    std::string out;
    for (const pub::CategoryParameter& parameter :
         std::get<std::vector<pub::CategoryParameter>>(parameters)) {
        if (!requiredOnly || parameter.required || parameter.requiredForProduct) {
            out += ParameterLine(parameter);
        }
    }
    return WriteToStandardOutput(out);
}

std::optional<Failure> Products(pub::OfferCatalogue& catalogue, const std::string& ean) {
    const pub::PublishObserver observer = Observer();
    auto found = catalogue.ProductsByEan(ean, &observer, AllegroInterrupted());
    if (auto* failure = std::get_if<pub::Failure>(&found)) {
        return SessionFailure(*failure);
    }
    std::string out;
    for (const pub::CatalogueProduct& product :
         std::get<std::vector<pub::CatalogueProduct>>(found)) {
        out += offer::ShownText(product.id, 40) + "\t" + offer::ShownText(product.name, 200) +
               "\t" + offer::ShownText(product.categoryId, 40) + "\n";
    }
    if (out.empty()) {
        WriteDiagnostic("W katalogu Allegro nie ma produktu o EAN " + ean + ".");
    }
    return WriteToStandardOutput(out);
}

// ---- create ----

struct CreateArguments {
    FormSource source;
    std::optional<std::string> offerFile;
    bool activate = false;
    bool dryRun = false;
};

// The offer data beside the project, or beside the JSON form ("rower.json": "rower.oferta.json").
std::optional<std::string> DefaultOfferFile(const FormSource& source) {
    if (source.project) {
        return offer::OfferFileName(*source.project);
    }
    if (!source.form || *source.form == kStandardInput) {
        return std::nullopt;
    }
    std::string stem = *source.form;
    const std::size_t slash = stem.find_last_of('/');
    const std::size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) {
        stem.erase(dot);
    }
    return stem + ".oferta.json";
}

std::string ProjectFolder(const FormSource& source) {
    if (!source.project) {
        return ".";
    }
    return FolderOf(*source.project);
}

std::variant<offer::OfferData, Failure> ReadOfferData(const std::string& path) {
    constexpr std::size_t kMaxOfferBytes = std::size_t{1} << 20;
    auto read = ReadFilePrefix(path, kMaxOfferBytes + 1);
    if (auto* error = std::get_if<FileError>(&read)) {
        if (!PathExists(path)) {
            return Failure{kExitInputError,
                           path +
                               ": nie ma pliku danych oferty (kategoria, cena, …); jego klucze "
                               "opisuje licytek-cli allegro create --help"};
        }
        return FileFailure(path, *error);
    }
    const auto& text = std::get<std::string>(read);
    if (text.size() > kMaxOfferBytes) {
        return Failure{kExitInputError, path + ": plik danych oferty jest za duży"};
    }
    offer::OfferReading reading = offer::ReadOfferJson(text);
    if (!reading.ok()) {
        for (const offer::OfferError& error : reading.errors) {
            WriteDiagnostic(path + ": " + offer::ErrorText(error));
        }
        return Failure{kExitInputError, path + ": nic nie zostało wysłane do Allegro."};
    }
    return std::move(reading.data);
}

Failure ReportProblem(const pub::PrepareProblem& problem, const std::string& offerFile) {
    ReportFindings(problem.findings);
    for (const offer::OfferError& error : problem.errors) {
        const bool ofForm = error.key == "Edit2";  // the title is the form's, not the offer data's
        WriteDiagnostic((ofForm ? std::string() : offerFile + ": ") + offer::ErrorText(error));
    }
    for (const pub::CategorySuggestion& category : problem.suggestions) {
        WriteRawDiagnostic("  " + offer::ShownText(category.id, 40) + "\t" +
                           offer::ShownText(category.path, 300));
    }
    if (problem.failure.cancelled) {
        return Failure{kExitInterrupted, "Przerwano."};
    }
    if (!problem.failure.message.empty()) {
        return AllegroFailure(problem.failure);
    }
    return Failure{static_cast<int>(problem.failure.outcome),
                   "Nic nie zostało wysłane do Allegro."};
}

std::optional<Failure> Create(const CreateArguments& arguments, bool sandbox) {
    if (!arguments.source.project && !arguments.source.form) {
        return UsageFailure("allegro create wymaga --project FILE albo FORM.json",
                            "allegro create ");
    }
    const auto offerFile =
        arguments.offerFile ? arguments.offerFile : DefaultOfferFile(arguments.source);
    if (!offerFile) {
        return UsageFailure(
            "allegro create z formularzem na standardowym wejściu wymaga --offer FILE",
            "allegro create ");
    }
    AuctionForm form;
    std::string ignoredSellerId;
    if (auto failure = LoadFormFrom(arguments.source, form, ignoredSellerId, false)) {
        return failure;
    }
    auto data = ReadOfferData(*offerFile);
    if (auto* failure = std::get_if<Failure>(&data)) {
        return *failure;
    }
    auto opened = OpenLookups(sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    auto& lookups = std::get<Lookups>(opened);
    const pub::PublishObserver observer = Observer();
    pub::PrepareOptions prepareOptions;
    prepareOptions.activate = arguments.activate;
    auto prepared = pub::PrepareNewOffer(*lookups.catalogue, std::get<offer::OfferData>(data), form,
                                         prepareOptions, &observer, AllegroInterrupted());
    if (auto* problem = std::get_if<pub::PrepareProblem>(&prepared)) {
        return ReportProblem(*problem, *offerFile);
    }
    auto& offer = std::get<pub::PreparedOffer>(prepared);
    ReportFindings(offer.findings);
    for (const std::string& line : offer.summary) {
        WriteRawDiagnostic(line);
    }
    for (const std::string& note : offer.notes) {
        WriteDiagnostic("uwaga: " + note);
    }
    pub::CreateOptions options;
    options.activate = arguments.activate;
    options.dryRun = arguments.dryRun;
    options.projectFolder = ProjectFolder(arguments.source);
    const pub::CreateResult result = pub::CreateOffer(*lookups.catalogue, std::move(offer), options,
                                                      observer, AllegroInterrupted());
    for (const std::string& warning : result.warnings) {
        WriteDiagnostic("uwaga: " + warning);
    }
    for (const std::string& error : result.errors) {
        WriteDiagnostic(error);
    }
    if (result.cancelled) {
        return Failure{kExitInterrupted, result.message};  // it says what stays in Allegro
    }
    if (result.outcome != pub::Outcome::Done) {
        return AllegroFailure(pub::Failure{result.outcome, result.message, result.traceId});
    }
    if (arguments.dryRun) {
        WriteRawDiagnostic(result.message);
        return WriteToStandardOutput(result.body + "\n");
    }
    return WriteToStandardOutput(result.message + "\n");
}

// ---- arguments ----

struct Arguments {
    bool help = false;
    bool sandbox = false;
    bool required = false;
    std::optional<std::string> ean;
    std::vector<std::string> operands;
    CreateArguments create;
};

std::variant<bool, Failure> TakeOption(std::string_view action,
                                       std::span<const std::string_view> args, std::size_t& index,
                                       Arguments& parsed) {
    const std::string_view arg = args[index];
    if (arg == "--sandbox") {
        parsed.sandbox = true;
        return true;
    }
    if (action == "parameters" && arg == "--required") {
        parsed.required = true;
        return true;
    }
    if (action == "products") {
        auto ean = OptionValue(args, index, "--ean", "allegro create ");
        if (auto* failure = std::get_if<Failure>(&ean)) {
            return std::move(*failure);
        }
        if (auto& value = std::get<std::optional<std::string>>(ean)) {
            parsed.ean = std::move(*value);
            return true;
        }
        return false;
    }
    if (action != "create") {
        return false;
    }
    if (arg == "--activate" || arg == "--dry-run") {
        (arg == "--activate" ? parsed.create.activate : parsed.create.dryRun) = true;
        return true;
    }
    auto offerFile = OptionValue(args, index, "--offer", "allegro create ");
    if (auto* failure = std::get_if<Failure>(&offerFile)) {
        return std::move(*failure);
    }
    if (auto& value = std::get<std::optional<std::string>>(offerFile)) {
        parsed.create.offerFile = std::move(*value);
        return true;
    }
    return TakeProjectOption(args, index, parsed.create.source, "allegro create ");
}

std::optional<Failure> CheckOperands(std::string_view action, const Arguments& parsed) {
    const std::size_t wanted = action == "categories" || action == "parameters" ? 1 : 0;
    if (parsed.operands.size() != wanted) {
        return UsageFailure(wanted == 1
                                ? "allegro " + std::string(action) + " wymaga jednego argumentu"
                                : "nieoczekiwany argument " + parsed.operands.front(),
                            "allegro create ");
    }
    if (action == "products" && (!parsed.ean || !offer::IsValidGtin(*parsed.ean))) {
        return UsageFailure(parsed.ean ? "--ean " + *parsed.ean +
                                             " to nie EAN (8, 12, 13 albo 14 cyfr z poprawną "
                                             "cyfrą kontrolną)"
                                       : std::string("allegro products wymaga --ean EAN"),
                            "allegro create ");
    }
    if (action == "categories" && offer::TrimBlanks(parsed.operands.front()).empty()) {
        return UsageFailure("allegro categories wymaga tekstu", "allegro create ");
    }
    return std::nullopt;
}

}  // namespace

bool IsNewOfferCommand(std::string_view action) {
    return action == "settings" || action == "categories" || action == "parameters" ||
           action == "products" || action == "create";
}

std::optional<Failure> RunNewOfferCommand(std::string_view action,
                                          std::span<const std::string_view> args) {
    Arguments parsed;
    const auto takeOption = [&](std::size_t& index) {
        return TakeOption(action, args, index, parsed);
    };
    const auto takeOperand = [&](std::string_view operand) -> std::optional<Failure> {
        if (action == "create") {
            return TakeFormOperand(operand, parsed.create.source, "allegro create ");
        }
        parsed.operands.emplace_back(operand);
        return std::nullopt;
    };
    if (auto failure =
            WalkArguments(args, "allegro create ", parsed.help, takeOption, takeOperand)) {
        return failure;
    }
    if (parsed.help) {
        return WriteToStandardOutput(kNewOfferHelp);
    }
    if (action == "create") {
        return Create(parsed.create, parsed.sandbox);
    }
    if (auto failure = CheckOperands(action, parsed)) {
        return failure;
    }
    auto opened = OpenLookups(parsed.sandbox);
    if (auto* failure = std::get_if<Failure>(&opened)) {
        return *failure;
    }
    pub::OfferCatalogue& catalogue = *std::get<Lookups>(opened).catalogue;
    if (action == "settings") {
        return Settings(catalogue);
    }
    if (action == "categories") {
        return Categories(catalogue, parsed.operands.front());
    }
    if (action == "parameters") {
        return Parameters(catalogue, parsed.operands.front(), parsed.required);
    }
    return Products(catalogue, *parsed.ean);
}

}  // namespace licytek::cli
