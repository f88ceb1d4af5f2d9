#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "Currency.h"

namespace evapre {

// Amounts by text key, in the order the keys were first used; adding to a key sums.
class TotaliPerChiave {
  public:
    void aggiungi(const QString& chiave, Currency importo) {
        for (auto& voce : mVoci) {
            if (voce.chiave == chiave) {
                voce.importo += importo;
                return;
            }
        }
        mVoci.push_back({chiave, importo});
    }
    bool contiene(const QString& chiave) const {
        for (const auto& voce : mVoci)
            if (voce.chiave == chiave)
                return true;
        return false;
    }
    // 0 for a key never used.
    Currency importo(const QString& chiave) const {
        for (const auto& voce : mVoci)
            if (voce.chiave == chiave)
                return voce.importo;
        return {};
    }
    int count() const { return static_cast<int>(mVoci.size()); }
    QStringList chiavi() const {
        QStringList keys;
        for (const auto& voce : mVoci)
            keys << voce.chiave;
        return keys;
    }
    void clear() { mVoci.clear(); }

  private:
    struct Voce {
        QString chiave;
        Currency importo;
    };
    std::vector<Voce> mVoci;
};

}  // namespace evapre
