#include "app/OfferProductStep.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/OfferParameterForm.h"

namespace licytek {

namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kCategoryRole = Qt::UserRole + 1;
constexpr int kThumbnailSide = 56;

// A picture's box until the picture comes, or when there is none.
QIcon Placeholder() {
    QPixmap box(kThumbnailSide, kThumbnailSide);
    box.fill(QColor(236, 236, 236));
    QPainter painter(&box);
    painter.setPen(QColor(190, 190, 190));
    painter.drawRect(0, 0, kThumbnailSide - 1, kThumbnailSide - 1);
    painter.drawLine(12, kThumbnailSide - 14, 24, 26);  // a small mountain, as a picture's sign
    painter.drawLine(24, 26, 32, 34);
    painter.drawLine(32, 34, 38, 28);
    painter.drawLine(38, 28, kThumbnailSide - 12, kThumbnailSide - 14);
    painter.drawEllipse(QPoint(36, 16), 4, 4);
    return QIcon(box);
}

}  // namespace

OfferProductStep::OfferProductStep(QWidget* parent) : NewOfferStep(parent) {
    ean_ = new QLineEdit(this);
    ean_->setObjectName(QStringLiteral("eanField"));
    ean_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,14}")), ean_));
    ean_->setPlaceholderText(QStringLiteral("8, 12, 13 lub 14 cyfr"));
    search_ = new QPushButton(QStringLiteral("&Szukaj w katalogu"), this);
    search_->setObjectName(QStringLiteral("searchProductButton"));
    matches_ = new QListWidget(this);
    matches_->setObjectName(QStringLiteral("productList"));
    withoutProduct_ = new QCheckBox(QStringLiteral("&Bez produktu z katalogu"), this);
    withoutProduct_->setObjectName(QStringLiteral("withoutProduct"));
    suggest_ = new QPushButton(QStringLiteral("&Proponuj kategorie dla tytułu"), this);
    suggest_->setObjectName(QStringLiteral("suggestCategoriesButton"));
    categories_ = new QListWidget(this);
    categories_->setObjectName(QStringLiteral("categoryList"));
    category_ = new QLineEdit(this);
    category_->setObjectName(QStringLiteral("categoryField"));
    category_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,20}")), category_));
    loadParameters_ = new QPushButton(QStringLiteral("Pokaż &parametry"), this);
    loadParameters_->setObjectName(QStringLiteral("loadParametersButton"));
    status_ = WrappedLabel(QString(), this);
    status_->setObjectName(QStringLiteral("productStatus"));
    parameters_ = new OfferParameterForm(this);
    parameters_->setObjectName(QStringLiteral("parameterForm"));

    auto* eanRow = new QHBoxLayout;
    auto* eanLabel = new QLabel(QStringLiteral("&EAN:"), this);
    eanLabel->setBuddy(ean_);
    eanRow->addWidget(eanLabel);
    eanRow->addWidget(ean_, 1);
    eanRow->addWidget(search_);
    auto* categoryRow = new QHBoxLayout;
    auto* categoryLabel = new QLabel(QStringLiteral("&Kategoria (numer):"), this);
    categoryLabel->setBuddy(category_);
    categoryRow->addWidget(categoryLabel);
    categoryRow->addWidget(category_, 1);
    categoryRow->addWidget(loadParameters_);
    const int listHeight = 5 * matches_->fontMetrics().lineSpacing() + 8;
    matches_->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    matches_->setWordWrap(true);
    matches_->setMaximumHeight(2 * (kThumbnailSide + 10) + 8);
    categories_->setMaximumHeight(listHeight);

    auto* left = new QVBoxLayout;
    left->addLayout(eanRow);
    left->addWidget(matches_);
    auto* withoutRow = new QHBoxLayout;
    withoutRow->addWidget(withoutProduct_);
    withoutRow->addStretch(1);
    withoutRow->addWidget(suggest_);
    left->addLayout(withoutRow);
    left->addWidget(categories_);
    left->addLayout(categoryRow);
    left->addWidget(status_);
    left->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(parameters_);
    auto* parametersBox = new QGroupBox(QStringLiteral("Parametry kategorii (* wymagane)"), this);
    auto* boxLayout = new QVBoxLayout(parametersBox);
    boxLayout->addWidget(scroll);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(parametersBox, 1);

    connect(search_, &QPushButton::clicked, this, [this] { emit productsWanted(ean_->text()); });
    connect(ean_, &QLineEdit::returnPressed, this, [this] { emit productsWanted(ean_->text()); });
    connect(matches_, &QListWidget::currentRowChanged, this, &OfferProductStep::ChooseProduct);
    connect(withoutProduct_, &QCheckBox::toggled, this, &OfferProductStep::UpdateWithoutProduct);
    connect(suggest_, &QPushButton::clicked, this, [this] { emit categoriesWanted(); });
    connect(categories_, &QListWidget::currentRowChanged, this, &OfferProductStep::ChooseCategory);
    connect(loadParameters_, &QPushButton::clicked, this,
            [this] { emit parametersWanted(category_->text()); });
    connect(parameters_, &OfferParameterForm::conditionChanged, this,
            &OfferProductStep::conditionChanged);
    UpdateWithoutProduct();
}

void OfferProductStep::Load(const offer::OfferData& values) {
    loaded_ = values;
    ean_->setText(FromUtf8(values.ean));
    category_->setText(FromUtf8(values.category));
    withoutProduct_->setChecked(values.ean.empty() && values.product.empty() &&
                                !values.category.empty());
    matches_->clear();
    products_.clear();
    categories_->clear();
    status_->clear();
    // The form of another project's category must not put its values into this one's data.
    parameters_->Clear();
    if (!values.product.empty()) {
        auto* item = new QListWidgetItem(QStringLiteral("Produkt %1").arg(FromUtf8(values.product)),
                                         matches_);
        item->setData(kIdRole, FromUtf8(values.product));
        item->setData(kCategoryRole, FromUtf8(values.category));
        matches_->setCurrentItem(item);
    }
}

void OfferProductStep::Store(offer::OfferData& values) const {
    values.category = ToUtf8(category_->text());
    if (withoutProduct_->isChecked()) {
        values.ean.clear();
        values.product.clear();
    } else {
        values.ean = ToUtf8(ean_->text());
        const QListWidgetItem* chosen = matches_->currentItem();
        values.product =
            chosen != nullptr ? ToUtf8(chosen->data(kIdRole).toString()) : std::string();
    }
    if (parameters_->shown()) {
        parameters_->Store(values);
    } else {
        values.condition = loaded_.condition;
        values.parameters = loaded_.parameters;
    }
}

QWidget* OfferProductStep::FirstField() const {
    return withoutProduct_->isChecked() ? static_cast<QWidget*>(withoutProduct_) : ean_;
}

void OfferProductStep::ShowProducts(const std::vector<publish::CatalogueProduct>& products) {
    products_ = products;
    matches_->clear();
    for (const auto& product : products) {
        const QString category =
            product.categoryPath.empty()
                ? QStringLiteral("kategoria %1").arg(FromUtf8(product.categoryId))
                : FromUtf8(offer::ShownText(product.categoryPath, 200));
        auto* item = new QListWidgetItem(
            Placeholder(),
            FromUtf8(offer::ShownText(product.name, 120)) + QLatin1Char('\n') + category, matches_);
        item->setToolTip(FromUtf8(offer::ShownText(product.name, 300)));
        item->setData(kIdRole, FromUtf8(product.id));
        item->setData(kCategoryRole, FromUtf8(product.categoryId));
    }
    status_->setText(products.empty()
                         ? QStringLiteral("Katalog Allegro nie zna produktu o tym EAN. Wybierz "
                                          "„Bez produktu z katalogu”.")
                         : QStringLiteral("Wybierz produkt z listy."));
    if (products.size() == 1) {
        matches_->setCurrentRow(0);
    }
}

void OfferProductStep::ShowProductPicture(const QString& productId, const QImage& picture) {
    for (int i = 0; i < matches_->count(); ++i) {
        QListWidgetItem* item = matches_->item(i);
        if (item->data(kIdRole).toString() == productId && !picture.isNull()) {
            item->setIcon(QIcon(QPixmap::fromImage(picture.scaled(
                kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
        }
    }
}

void OfferProductStep::ShowCategories(const std::vector<publish::CategorySuggestion>& categories) {
    categories_->clear();
    for (const auto& category : categories) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 (%2)").arg(FromUtf8(offer::ShownText(category.path, 200)),
                                          FromUtf8(category.id)),
            categories_);
        item->setData(kCategoryRole, FromUtf8(category.id));
    }
    status_->setText(categories.empty()
                         ? QStringLiteral("Allegro nie proponuje kategorii dla tego tytułu.")
                         : QStringLiteral("Wybierz kategorię z listy."));
}

void OfferProductStep::ShowParameters(const std::vector<publish::CategoryParameter>& parameters) {
    offer::OfferData current = loaded_;
    if (parameters_->shown()) {
        parameters_->Store(current);  // what the seller chose so far stays where names match
    }
    parameters_->Show(parameters, current);
    status_->setText(QStringLiteral("Parametry kategorii %1: %2.")
                         .arg(category_->text())
                         .arg(parameters.size()));
}

void OfferProductStep::ShowStatus(const QString& text) {
    status_->setText(text);
}

QString OfferProductStep::CategoryId() const {
    return category_->text().trimmed();
}

bool OfferProductStep::ProductBringsSafetyData() const {
    const QListWidgetItem* chosen = matches_->currentItem();
    if (withoutProduct_->isChecked() || chosen == nullptr) {
        return false;
    }
    const QString id = chosen->data(kIdRole).toString();
    for (const auto& product : products_) {
        if (FromUtf8(product.id) == id) {
            return product.bringsSafetyData;
        }
    }
    return false;
}

void OfferProductStep::ChooseProduct() {
    const QListWidgetItem* chosen = matches_->currentItem();
    if (chosen == nullptr) {
        return;
    }
    const QString category = chosen->data(kCategoryRole).toString();
    if (!category.isEmpty() && category != category_->text()) {
        category_->setText(category);
        emit parametersWanted(category);
    }
}

void OfferProductStep::ChooseCategory() {
    const QListWidgetItem* chosen = categories_->currentItem();
    if (chosen == nullptr) {
        return;
    }
    category_->setText(chosen->data(kCategoryRole).toString());
    emit parametersWanted(category_->text());
}

void OfferProductStep::UpdateWithoutProduct() {
    const bool without = withoutProduct_->isChecked();
    ean_->setEnabled(!without);
    search_->setEnabled(!without);
    matches_->setEnabled(!without);
    suggest_->setEnabled(without);
    categories_->setEnabled(without);
}

std::vector<QWidget*> OfferProductStep::FieldsFor(const publish::ErrorPlace& place) const {
    using offer::OfferKey;
    auto fields = FieldsWithKey(
        {{OfferKey::Category, category_}, {OfferKey::Ean, ean_}, {OfferKey::Product, matches_}},
        place);
    return fields.empty() ? parameters_->FieldsFor(place) : fields;
}

}  // namespace licytek
