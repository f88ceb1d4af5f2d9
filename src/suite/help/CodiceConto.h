#pragma once

#include <QString>
#include <QStringList>

namespace evapre {

// An account code as typed: "GGMMCCCCC" or "GG-MM-CCCCC" (group, ledger, account).
namespace CodiceConto {
// The three parts; blank parts where the text is too short.
QStringList Parti(const QString& codice);
// The form the field shows while it is edited: "GG-MM-CCCCC"; a blank code stays blank.
QString InModifica(const QString& codice);
}  // namespace CodiceConto

}  // namespace evapre
