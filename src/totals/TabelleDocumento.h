#pragma once

#include <QChar>
#include <QString>
#include <optional>

namespace evapre {

// The four tables one kind of document lives in: header, lines, level lines, expenses.
struct TabelleDocumento {
    QString testa;
    QString dett;
    QString liv;
    QString spese;

    // "F" invoice, "B" delivery note, "O" sales order, "A" purchase order.
    static std::optional<TabelleDocumento> perTipo(QChar tipo) {
        switch (tipo.toUpper().unicode()) {
            case 'F':
                return TabelleDocumento{QStringLiteral("FatTest"), QStringLiteral("FatDett"),
                                        QStringLiteral("FatLiv"), QStringLiteral("FatSpese")};
            case 'B':
                return TabelleDocumento{QStringLiteral("DdtTest"), QStringLiteral("DdtDett"),
                                        QStringLiteral("DdtLiv"), QStringLiteral("DdtSpese")};
            case 'O':
                return TabelleDocumento{QStringLiteral("OrdVenTest"), QStringLiteral("OrdVenDett"),
                                        QStringLiteral("OrdVenLiv"), QStringLiteral("OrdVenSpese")};
            case 'A':
                return TabelleDocumento{QStringLiteral("OrdAcqTes"), QStringLiteral("OrdAcqDett"),
                                        QStringLiteral("OrdAcqLiv"), QStringLiteral("OrdAcqSpese")};
            default:
                return std::nullopt;
        }
    }
};

}  // namespace evapre
