// Writes a spreadsheet of typical offers for timing licytek-cli batch: a Polish spreadsheet's
// CSV (';', CR LF, UTF-8 with a byte-order mark) with the usual columns and a multi-line
// marked-up description of about 1.7 KB, about 2 KB a row. Usage: batch_offers FILE ROWS
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string Description(long row) {
    std::string text = "\"<b>Rower górski nr " + std::to_string(row) + "</b>\r\n";
    const std::string line =
        "Rama 19 cali, 21 biegów, hamulce tarczowe, opony \"\"Schwalbe\"\" prawie nowe.<br>\r\n";
    while (text.size() < 1700) {
        text += line;
    }
    return text + "Stan: bardzo dobry; odbiór osobisty lub wysyłka.\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: batch_offers FILE ROWS\n");
        return 2;
    }
    const long rows = std::atol(argv[2]);
    std::ofstream out(argv[1], std::ios::binary);
    out << "\xEF\xBB\xBFplik;Nagłówek aukcji;Opis przedmiotu;Telefon;Koszty przesyłki 1;"
           "Koszty przesyłki 2;Numer konta;Zadaj pytanie sprzedającemu;układ;Wejście na strone\r\n";
    for (long row = 1; row <= rows; ++row) {
        out << "oferta-" << row << ";Rower górski " << row << " – okazja, stan bdb;"
            << Description(row) << ";600 100 200;Paczkomat 12,99 zł;Kurier 16,99 zł;"
            << "12 3456 7890 1234 5678 9012 3456;tak;" << (row % 8) + 1 << ";Okrąg do środka\r\n";
    }
    return out ? 0 : 1;
}
