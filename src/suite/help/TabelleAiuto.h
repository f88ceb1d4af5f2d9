#pragma once

#include <QString>
#include <QStringList>

namespace evapre {

// A table the help component decodes and lists: its key columns (joined by "-" into the code
// the field shows when there are several) and the description shown beside the field.
struct TabellaAiuto {
    QString nome;  // the name the forms use: "FattDocumento", "Conto", "Moneta" ...
    QString tabella;
    QStringList chiavi;
    QString descrizione;
};

namespace TabelleAiuto {
// Null for a name the component does not know.
const TabellaAiuto* Per(const QString& nome);
}  // namespace TabelleAiuto

}  // namespace evapre
