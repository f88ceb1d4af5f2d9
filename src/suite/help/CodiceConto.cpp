#include "CodiceConto.h"

#include "TextUtil.h"

namespace evapre {

QStringList CodiceConto::Parti(const QString& codice) {
    const QString c = TrimSpaces(codice);
    if (c.contains(QLatin1Char('-'))) {
        QStringList parti = c.split(QLatin1Char('-'));
        while (parti.size() < 3)
            parti << QString();
        // Dashes inside the account part stay with it.
        return {parti.at(0), parti.at(1), parti.mid(2).join(QLatin1Char('-'))};
    }
    return {c.left(2), c.mid(2, 2), c.mid(4)};
}

QString CodiceConto::InModifica(const QString& codice) {
    if (IsBlank(codice))
        return {};
    const QStringList p = Parti(codice);
    if (p.at(2).isEmpty() && p.at(1).isEmpty())
        return p.at(0);
    return p.join(QLatin1Char('-'));
}

}  // namespace evapre
