#pragma once

#include <QString>

namespace evapre {

// The movement tables, their staging copies and the values their rows carry. Every caller
// that writes or reads movements takes the names from here.
struct TabelleMovimento {
    static QString testa() { return QStringLiteral("MovMagTes"); }
    static QString dett() { return QStringLiteral("MovMagDett"); }
    static QString liv() { return QStringLiteral("MovMagLiv"); }
    static QString matr() { return QStringLiteral("MovMagMatr"); }
    static QString rintraccia() { return QStringLiteral("MovMagRintraccia"); }
    // The staging copy of a movement table: same columns, name ending in "App".
    static QString appoggio(const QString& tabella) { return tabella + QStringLiteral("App"); }

    // Level columns of the rows of articles without levels (progressives, costs, prices and
    // supplier articles).
    static QString senzaLivello() { return QStringLiteral("~ç~"); }

    // Record marks of a movement: kind and program area "M".
    static QString tipoBlocco() { return QStringLiteral("M"); }
};

// FlagStato of a movement row (detail or level line, staged or real):
//   "1"  written, its effect not yet in the progressives (a staged row waiting, or a real row
//        entered without posting);
//   "0"  posted: its effect is in ArticoliProg and ArticoliCosti;
//   "2"  reversed: its effect has been taken back; it can be posted again.
// Posting takes every row that is not "0" and leaves it "0"; reversal takes the "0" rows and
// leaves them "2". A row changes status only together with the effect it stands for.
namespace StatoRigaMov {
inline QString daAggiornare() {
    return QStringLiteral("1");
}
inline QString aggiornata() {
    return QStringLiteral("0");
}
inline QString disaggiornata() {
    return QStringLiteral("2");
}
}  // namespace StatoRigaMov

}  // namespace evapre
