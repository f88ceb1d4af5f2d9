#pragma once

#include <QString>
#include <QStringList>

namespace evapre {

// Exit codes of the headless commands.
namespace ExitCode {
constexpr int Ok = 0;
constexpr int Failure = 1;
constexpr int Usage = 2;
constexpr int Refused = 3;
constexpr int EndedWithErrors = 4;
}  // namespace ExitCode

QString CommandsUsage();
int RunCommand(const QString& command, const QStringList& args);

// evapre demo-db: a deterministic demo company (DemoDb.cpp).
int RunDemoDb(const QStringList& args);

// evapre footer: the footer of a stored document, computed and printed (FooterCommand.cpp).
int RunFooter(const QStringList& args);

}  // namespace evapre
