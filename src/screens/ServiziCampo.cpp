#include "ServiziCampo.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QRegularExpression>
#include <QSettings>
#include <QWidget>

#include "DateConv.h"
#include "ParametriDitta.h"
#include "TextUtil.h"
#include "UiServices.h"

namespace evapre {

namespace {

const char* const kErrato = "evapreErrato";

QSettings impostazioni() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tovwin"),
                     QStringLiteral("evapre"));
}

}  // namespace

ServiziCampo::ServiziCampo(QWidget* form, ParametriDitta& parametri, UiServices& ui,
                           const QString& chiaveFinestra)
    : QObject(form),
      mForm(form),
      mParametri(parametri),
      mUi(ui),
      mChiave(chiaveFinestra),
      mColoreFocus(ParametriDitta::colourNumber(parametri.colBackGotFocus(), 0xFFFF80)),
      mColoreSenzaFocus(
          ParametriDitta::colourNumber(parametri.colBackLostFocus(), kColoreNormale)) {}

QColor ServiziCampo::Colore(quint32 numero, const QPalette& palette) {
    if (numero & 0x80000000u) {
        // The system colours the forms use: window background, button face, window text.
        switch (numero & 0xFFu) {
            case 0x0F:
                return palette.color(QPalette::Button);
            case 0x08:
                return palette.color(QPalette::Text);
            default:
                return palette.color(QPalette::Base);
        }
    }
    return QColor(static_cast<int>(numero & 0xFF), static_cast<int>((numero >> 8) & 0xFF),
                  static_cast<int>((numero >> 16) & 0xFF));
}

// ---- Marks ----------------------------------------------------------------------------------

void ServiziCampo::Segna(QLineEdit* campo, bool errato) {
    campo->setProperty(kErrato, errato);
    dipingi(campo);
}

bool ServiziCampo::Errato(const QLineEdit* campo) {
    return campo && campo->property(kErrato).toBool();
}

quint32 ServiziCampo::ColoreDi(const QLineEdit* campo) {
    return campo->property("evapreColore").toUInt();
}

void ServiziCampo::dipingi(QLineEdit* campo) {
    const quint32 numero = Errato(campo)       ? kColoreErrore
                           : campo->hasFocus() ? mColoreFocus
                                               : mColoreSenzaFocus;
    campo->setProperty("evapreColore", numero);
    QPalette p = campo->palette();
    p.setColor(QPalette::Base, Colore(numero, QApplication::palette(campo)));
    campo->setPalette(p);
}

// ---- Dates ----------------------------------------------------------------------------------

QString ServiziCampo::CompletaData(const QString& testo, const QDate& riferimento) {
    QString t = TrimSpaces(testo);
    if (t.isEmpty())
        return t;
    static const QRegularExpression giorno(QStringLiteral("^(\\d{1,2})$"));
    static const QRegularExpression giornoMese(QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})$"));
    static const QRegularExpression giornoMeseUniti(QStringLiteral("^(\\d{2})(\\d{2})$"));
    const QString anno = QString::number(riferimento.year());
    if (auto m = giorno.match(t); m.hasMatch())
        t = m.captured(1) + QLatin1Char('/') + QString::number(riferimento.month()) +
            QLatin1Char('/') + anno;
    else if (auto m2 = giornoMese.match(t); m2.hasMatch())
        t = m2.captured(1) + QLatin1Char('/') + m2.captured(2) + QLatin1Char('/') + anno;
    else if (auto m3 = giornoMeseUniti.match(t); m3.hasMatch())
        t = m3.captured(1) + QLatin1Char('/') + m3.captured(2) + QLatin1Char('/') + anno;
    const DataConvertita data = ConvertiDataEx(t);
    if (data.date)
        return FormatData(*data.date);
    return data.error ? TrimSpaces(testo) : t;
}

QDate ServiziCampo::dataRiferimento() const {
    return mParametri.workingDate().isValid() ? mParametri.workingDate() : QDate::currentDate();
}

bool ServiziCampo::CampoData(QLineEdit* campo, int opzione) {
    Q_UNUSED(opzione);
    const QString completa = CompletaData(campo->text(), dataRiferimento());
    if (completa != campo->text())
        campo->setText(completa);
    const DataConvertita data = ConvertiDataEx(completa);
    bool errato = data.error;
    const auto minima = ConvertiData(mParametri.dataMinima());
    if (!errato && data.date && minima && *data.date < *minima) {
        errato = true;
        mUi.message(QStringLiteral("Data troppo piccola"));
    }
    Segna(campo, errato);
    return !errato;
}

// ---- Fields and form -------------------------------------------------------------------------

void ServiziCampo::PreparaCampo(QLineEdit* campo) {
    campo->installEventFilter(this);
    dipingi(campo);
}

void ServiziCampo::PreparaForm() {
    if (!mForm)
        return;
    const quint32 coloreForm = ParametriDitta::colourNumber(mParametri.colBackForm(), 0);
    // 0 is the value of a form colour never set.
    if (coloreForm != 0) {
        QPalette p = mForm->palette();
        p.setColor(QPalette::Window, Colore(coloreForm, p));
        mForm->setPalette(p);
        mForm->setAutoFillBackground(true);
    }
    QSettings s = impostazioni();
    const QByteArray geometria = s.value(mChiave + QStringLiteral("/Posizione")).toByteArray();
    if (!geometria.isEmpty())
        mForm->restoreGeometry(geometria);
}

void ServiziCampo::SalvaPosizione() {
    if (!mForm)
        return;
    QSettings s = impostazioni();
    s.setValue(mChiave + QStringLiteral("/Posizione"), mForm->saveGeometry());
}

bool ServiziCampo::eventFilter(QObject* oggetto, QEvent* evento) {
    auto* campo = qobject_cast<QLineEdit*>(oggetto);
    if (!campo)
        return false;
    switch (evento->type()) {
        case QEvent::FocusIn:
            dipingi(campo);
            if (static_cast<QFocusEvent*>(evento)->reason() != Qt::PopupFocusReason)
                campo->selectAll();
            break;
        case QEvent::FocusOut:
            dipingi(campo);
            break;
        case QEvent::KeyPress:
            return tasto(campo, static_cast<QKeyEvent*>(evento));
        default:
            break;
    }
    return false;
}

// True when the key is handled here and must not reach the field.
bool ServiziCampo::tasto(QLineEdit* campo, QKeyEvent* evento) {
    const int key = evento->key();
    if ((evento->modifiers() & Qt::KeypadModifier) &&
        (key == Qt::Key_Period || key == Qt::Key_Comma) &&
        TrimSpaces(mParametri.tastierinoVirgola()).toUpper() == QLatin1String("S")) {
        campo->insert(QStringLiteral(","));
        return true;
    }
    if (key == Qt::Key_Escape)
        return true;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter moves on, as Tab does.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(campo, &tab);
        return true;
    }
    if (evento->modifiers() == Qt::ControlModifier) {
        if (key == Qt::Key_F) {
            trova(campo);
            return true;
        }
        if (key == Qt::Key_H) {
            sostituisci(campo);
            return true;
        }
    }
    return false;
}

// Ctrl+F: the next occurrence after the cursor, from the start again when none follows.
void ServiziCampo::trova(QLineEdit* campo) {
    bool ok = false;
    const QString cercato = mUi.input(QStringLiteral("Testo da cercare:"), QStringLiteral("Trova"),
                                      campo->selectedText(), &ok);
    if (!ok || cercato.isEmpty())
        return;
    const int da = campo->hasSelectedText() ? campo->selectionStart() + 1 : campo->cursorPosition();
    qsizetype posizione = campo->text().indexOf(cercato, da, Qt::CaseInsensitive);
    if (posizione < 0)
        posizione = campo->text().indexOf(cercato, 0, Qt::CaseInsensitive);
    if (posizione < 0) {
        mUi.message(QStringLiteral("Testo non trovato: ") + cercato);
        return;
    }
    campo->setSelection(static_cast<int>(posizione), static_cast<int>(cercato.size()));
}

// Ctrl+H: every occurrence replaced, letter case ignored.
void ServiziCampo::sostituisci(QLineEdit* campo) {
    bool ok = false;
    const QString cercato = mUi.input(QStringLiteral("Testo da cercare:"),
                                      QStringLiteral("Sostituisci"), campo->selectedText(), &ok);
    if (!ok || cercato.isEmpty())
        return;
    const QString nuovo =
        mUi.input(QStringLiteral("Sostituire con:"), QStringLiteral("Sostituisci"), QString(), &ok);
    if (!ok)
        return;
    QString testo = campo->text();
    if (!testo.contains(cercato, Qt::CaseInsensitive)) {
        mUi.message(QStringLiteral("Testo non trovato: ") + cercato);
        return;
    }
    testo.replace(cercato, nuovo, Qt::CaseInsensitive);
    if (campo->maxLength() > 0 && testo.size() > campo->maxLength()) {
        mUi.message(QStringLiteral("Il testo sostituito supera la lunghezza del campo"));
        return;
    }
    campo->setText(testo);
}

}  // namespace evapre
