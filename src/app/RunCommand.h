#pragma once

#include <QStringList>
#include <QTextStream>

namespace evapre {

class UiServices;

// evapre run: the selection form's entries given as options, its checks, the exchange
// rates, then the fulfilment; prints the documents produced and returns the exit code.
// The report goes to out (text or, with --json, one JSON object), usage errors and notes to
// err, the run's messages to ui.
int RunFulfilment(const QStringList& args, QTextStream& out, QTextStream& err, UiServices& ui);

// The same on standard output and standard error with the console user.
int RunFulfilment(const QStringList& args);

QString RunUsage();

}  // namespace evapre
