#pragma once

#include <QStringList>
#include <QTextStream>

namespace evapre {

class UiServices;

// evapre recover: closes the documents an interrupted run of the user left in the journal,
// releases the user's stale marks of the program and the saved criteria, and says what it
// did. Running it again does nothing.
int RecoverFulfilment(const QStringList& args, QTextStream& out, QTextStream& err, UiServices& ui);
int RecoverFulfilment(const QStringList& args);

}  // namespace evapre
