#pragma once

#include <QChar>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace evapre {

// Lettered launch parameters. Syntax of a parameter string:
//
//   /M:menu01 /P:"EvaPre EvPr" /F:frmEvasPre /I:/etc/tovwin.ini
//
// - Tokens are separated by blanks (spaces, tabs, new lines). A token is '/', one
//   ASCII letter (compared case-insensitively: /p: and /P: are the same), an optional ':' and
//   the value. "/X" and "/X:" give an empty value.
// - The value runs to the next blank outside double quotes. Inside double quotes blanks
//   and '/' are plain characters and "" is one literal quote; quoted and unquoted pieces
//   may be joined (/X:a"b c" is `ab c`). An unclosed quote runs to the end.
// - Tokens that do not start with '/' + letter are skipped. When a letter appears twice,
//   the first one counts.
//
// The value of that letter, verbatim (the caller trims), or an empty string.
QString LaunchParam(QChar letter, const QString& params);
// Whether the letter is present at all (even with an empty value).
bool HasLaunchParam(QChar letter, const QString& params);
// Every (letter upper-cased, value) in order of appearance, repeats included.
QList<QPair<QChar, QString>> ParseLaunchParams(const QString& params);

// The parameter string for these (letter, value) pairs, in the given order: values that
// are empty or contain a blank, '"' or '/' are double-quoted ("" for a quote). For every
// value v, LaunchParam(letter, BuildLaunchParams({{letter, v}})) == v.
QString BuildLaunchParams(const QList<QPair<QChar, QString>>& params);

// On Linux the menu starts the program with one argument per parameter, "/X:value" with
// the value raw (no quoting: the operating system keeps the argument whole). These two
// turn such an argument list into the parameter string above and back. Arguments that do
// not start with '/' + letter are ignored.
QString LaunchParamsFromArgs(const QStringList& arguments);
QStringList BuildLaunchArgs(const QList<QPair<QChar, QString>>& params);

}  // namespace evapre
