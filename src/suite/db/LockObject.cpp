#include "LockObject.h"

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "DbConnection.h"
#include "DbKind.h"
#include "RowSet.h"

namespace evapre {

LockObject::LockObject(DbConnection& connection) : mConnection(connection) {}

std::unique_ptr<RowSet> LockObject::openRowSet(const QString& sql) {
    return mConnection.openRowSet(sql);
}

namespace {

// The LockGest row of a mark: its columns with their values.
QList<QPair<QString, QVariant>> rigaDi(const LockObject::Mark& mark, const QDateTime& when) {
    return {{QStringLiteral("Tipo"), mark.tipo},
            {QStringLiteral("Anno"), mark.anno},
            {QStringLiteral("NumReg"), mark.numReg},
            {QStringLiteral("Utente"), mark.utente},
            {QStringLiteral("Stato"), mark.stato},
            {QStringLiteral("Ora"), when},
            {QStringLiteral("Gestione"), mark.gestione},
            {QStringLiteral("Varie"), mark.varie},
            {QStringLiteral("PadreTipo"), mark.padreTipo},
            {QStringLiteral("PadreAnno"), mark.padreAnno},
            {QStringLiteral("PadreNumReg"), mark.padreNumReg}};
}

}  // namespace

void LockObject::insertMark(const Mark& mark, const QDateTime& when) {
    // One statement per mark: the race between two programs is settled by the key (3022).
    mConnection.insertRow(QStringLiteral("LockGest"), rigaDi(mark, when));
    mHeld.insert({mark.tipo, mark.anno, mark.numReg}, mark.utente);
}

std::vector<bool> LockObject::insertFreeMarks(const QList<Mark>& marks, const QDateTime& when) {
    std::vector<bool> written(static_cast<size_t>(marks.size()), false);
    // Native connections only: there the rows a statement wrote are read with its result, so
    // a failure means nothing was written.
    if (mConnection.kind() != DbKind::PostgreSQL || mConnection.inTransaction())
        return written;
    constexpr qsizetype kPerStatement = 250;
    const DbConnection& c = mConnection;
    for (qsizetype start = 0; start < marks.size(); start += kPerStatement) {
        const qsizetype end = std::min(marks.size(), start + kPerStatement);
        QString sql;
        for (qsizetype i = start; i < end; ++i) {
            const QList<QPair<QString, QVariant>> riga = rigaDi(marks[i], when);
            QStringList nomi, valori;
            for (const auto& [nome, valore] : riga) {
                nomi << nome;
                valori << c.sql(valore);
            }
            if (i == start)
                sql = QStringLiteral("INSERT INTO LockGest (") + nomi.join(u',') +
                      QStringLiteral(") VALUES ");
            sql +=
                (i > start ? QStringLiteral(",(") : QStringLiteral("(")) + valori.join(u',') + u')';
        }
        // The key settles a race as it does for one mark: a row another program holds (or
        // is writing) is left alone, and the statement names the rows it wrote.
        sql += QStringLiteral(
            " ON CONFLICT (Tipo, Anno, NumReg) DO NOTHING RETURNING Tipo, Anno, NumReg");
        QSet<Chiave> nuovi;
        for (auto rows = mConnection.openRowSet(sql); !rows->eof(); rows->moveNext())
            nuovi.insert({rows->valueAt(0).toString(), rows->valueAt(1).toInt(),
                          rows->valueAt(2).toLongLong()});
        for (qsizetype i = start; i < end; ++i) {
            const Mark& m = marks[i];
            if (nuovi.remove({m.tipo, m.anno, m.numReg})) {  // a key given twice: the first
                written[size_t(i)] = true;
                mHeld.insert({m.tipo, m.anno, m.numReg}, m.utente);
            }
        }
    }
    return written;
}

QString LockObject::keyCondition(const QString& tipo, int anno, qint64 numReg,
                                 const QString& utente) const {
    return QStringLiteral(" WHERE Tipo = ") + mConnection.sql(tipo) +
           QStringLiteral(" AND Anno = ") + mConnection.sql(anno) +
           QStringLiteral(" AND NumReg = ") + mConnection.sql(numReg) +
           QStringLiteral(" AND Utente = ") + mConnection.sql(utente);
}

bool LockObject::removeMark(const QString& tipo, int anno, qint64 numReg) {
    const auto it = mHeld.constFind({tipo, anno, numReg});
    if (it == mHeld.constEnd())
        return false;
    const int removed = mConnection.execute(QStringLiteral("DELETE FROM LockGest") +
                                            keyCondition(tipo, anno, numReg, it.value()));
    mHeld.erase(it);
    return removed > 0;
}

int LockObject::removeMarks(const QString& tipo, const QList<QPair<int, qint64>>& keys) {
    QList<Chiave> held;
    held.reserve(keys.size());
    for (const auto& [anno, numReg] : keys)
        held.append({tipo, anno, numReg});
    return removeHeld(held);
}

int LockObject::endLockUse() {
    return removeHeld(mHeld.keys());
}

int LockObject::removeHeld(const QList<Chiave>& keys) {
    constexpr qsizetype kPerStatement = 500;
    // Held keys grouped by what the statement shares, in the order given.
    struct Gruppo {
        QString tipo;
        int anno;
        QString utente;
        QList<qint64> numRegs;
    };
    std::vector<Gruppo> gruppi;
    QSet<Chiave> visti;
    for (const Chiave& key : keys) {
        const auto it = mHeld.constFind(key);
        if (it == mHeld.constEnd() || visti.contains(key))
            continue;
        visti.insert(key);
        auto g = std::find_if(gruppi.begin(), gruppi.end(), [&](const Gruppo& x) {
            return x.tipo == key.tipo && x.anno == key.anno && x.utente == it.value() &&
                   x.numRegs.size() < kPerStatement;
        });
        if (g == gruppi.end())
            g = gruppi.insert(gruppi.end(), {key.tipo, key.anno, it.value(), {}});
        g->numRegs.append(key.numReg);
    }
    int removed = 0;
    for (const Gruppo& g : gruppi) {
        QStringList elenco;
        elenco.reserve(g.numRegs.size());
        for (qint64 numReg : g.numRegs)
            elenco << mConnection.sql(numReg);
        removed += mConnection.execute(
            QStringLiteral("DELETE FROM LockGest WHERE Tipo = ") + mConnection.sql(g.tipo) +
            QStringLiteral(" AND Anno = ") + mConnection.sql(g.anno) +
            QStringLiteral(" AND Utente = ") + mConnection.sql(g.utente) +
            QStringLiteral(" AND NumReg IN (") + elenco.join(u',') + u')');
        for (qint64 numReg : g.numRegs)
            mHeld.remove({g.tipo, g.anno, numReg});
    }
    return removed;
}

}  // namespace evapre
