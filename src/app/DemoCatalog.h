#pragma once

#include <QString>
#include <vector>

namespace evapre::demo {

// Fixed lists the demo company is drawn from: places, names, article families.

struct City {
    const char* name;
    const char* cap;
    const char* province;
    const char* phonePrefix;
};

// Article family: a base description, its variants (sizes, models) and commercial data.
enum class Family { Hardware, Textile, Electrical, Service };

struct ArticleTemplate {
    Family family;
    const char* code;         // code prefix, e.g. "VIT"
    const char* description;  // base description
    const char* um;           // sales unit
    int basePriceCents;       // list price of the first variant, euro cents
    int stepPriceCents;       // price increase per variant
    const char* vat;          // usual VAT code
    bool stockManaged;
    bool raee;          // carries the electrical-waste contribution
    bool levels;        // sold by size and colour
    int piecesPerPack;  // 0 = not packed
    std::vector<const char*> variants;
};

struct Carrier {
    const char* code;
    const char* name;
    const char* street;
    const char* cap;
    const char* city;
    const char* province;
};

const std::vector<City>& Cities();
const std::vector<const char*>& Surnames();
const std::vector<const char*>& CustomerTrades();
const std::vector<const char*>& SupplierTrades();
const std::vector<const char*>& LegalForms();
const std::vector<const char*>& StreetKinds();
const std::vector<const char*>& StreetNames();
const std::vector<ArticleTemplate>& ArticleTemplates();
const std::vector<const char*>& Sizes();
const std::vector<const char*>& ShoeSizes();
// Colour code and description.
const std::vector<std::pair<const char*, const char*>>& Colours();
const std::vector<Carrier>& Carriers();
const std::vector<const char*>& QuoteSubjects();
const std::vector<const char*>& DescriptiveLines();
const std::vector<const char*>& Banks();

// The 11-digit Italian VAT number whose first ten digits are given, with its check digit.
QString VatNumberWithCheck(const QString& firstTen);

}  // namespace evapre::demo
