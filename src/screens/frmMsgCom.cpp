#include "frmMsgCom.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "UiServices.h"

namespace evapre {

frmMsgCom::frmMsgCom(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMsgCom"));
    setWindowTitle(QStringLiteral("Richiesta Comando"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* textRow = new QHBoxLayout;
    mIcon = new QLabel(this);
    mIcon->setVisible(false);
    LabMessaggio = new QLabel(this);
    LabMessaggio->setObjectName(QStringLiteral("LabMessaggio"));
    LabMessaggio->setTextFormat(Qt::PlainText);
    LabMessaggio->setWordWrap(true);
    LabMessaggio->setTextInteractionFlags(Qt::TextSelectableByMouse);
    txtMessaggio = new QPlainTextEdit(this);
    txtMessaggio->setObjectName(QStringLiteral("txtMessaggio"));
    txtMessaggio->setReadOnly(true);
    txtMessaggio->setVisible(false);
    textRow->addWidget(mIcon, 0, Qt::AlignTop);
    textRow->addWidget(LabMessaggio, 1);
    textRow->addWidget(txtMessaggio, 1);
    layout->addLayout(textRow, 1);
    mButtonRow = new QWidget(this);
    auto* buttons = new QHBoxLayout(mButtonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(mButtonRow);
        button->setObjectName(QStringLiteral("ComEsegui%1").arg(i));
        connect(button, &QPushButton::clicked, this, [this, i] { press(i); });
        buttons->addWidget(button);
        ComEsegui << button;
    }
    buttons->addStretch(1);
    layout->addWidget(mButtonRow);
    txtComRit = new QLineEdit(this);
    txtComRit->setObjectName(QStringLiteral("txtComRit"));
    txtComRit->setVisible(false);
}

QString frmMsgCom::text() const {
    return txtMessaggio->isVisible() ? txtMessaggio->toPlainText() : LabMessaggio->text();
}

void frmMsgCom::setIcon(MsgIcon icon) {
    QStyle::StandardPixmap pixmap = QStyle::SP_MessageBoxInformation;
    switch (icon) {
        case MsgIcon::None:
            mIcon->setVisible(false);
            return;
        case MsgIcon::Information:
            break;
        case MsgIcon::Question:
            pixmap = QStyle::SP_MessageBoxQuestion;
            break;
        case MsgIcon::Warning:
            pixmap = QStyle::SP_MessageBoxWarning;
            break;
        case MsgIcon::Critical:
            pixmap = QStyle::SP_MessageBoxCritical;
            break;
    }
    mIcon->setPixmap(style()->standardIcon(pixmap).pixmap(32, 32));
    mIcon->setVisible(true);
}

void frmMsgCom::press(int index) {
    txtComRit->setText(QString::number(index + 1));
    hide();
    done(index + 1);
}

void frmMsgCom::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // As closing the window: the last button.
        int last = 0;
        for (int i = 0; i < ComEsegui.size(); ++i)
            if (!ComEsegui[i]->isHidden())
                last = i;
        press(last);
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmMsgCom::closeEvent(QCloseEvent* event) {
    if (txtComRit->text().isEmpty()) {
        int last = 0;
        for (int i = 0; i < ComEsegui.size(); ++i)
            if (!ComEsegui[i]->isHidden())
                last = i;
        txtComRit->setText(QString::number(last + 1));
        setResult(last + 1);
    }
    event->accept();
}

int frmMsgCom::msgCom(const QString& psLabel, const QString& psCom1, const QString& pvCom2,
                      const QString& pvCom3, const Options& options) {
    QStringList captions{psCom1.isEmpty() ? QStringLiteral("&Ok") : psCom1};
    if (!pvCom2.isEmpty())
        captions << pvCom2;
    if (!pvCom3.isEmpty())
        captions << pvCom3;
    if (!options.title.isEmpty())
        setWindowTitle(options.title);
    if (options.fontSize > 0) {
        QFont font = this->font();
        font.setPointSize(options.fontSize);
        setFont(font);
    }
    layout()->setContentsMargins(options.latiForm, options.latiForm, options.latiForm,
                                 options.latiForm);

    // Long texts go into the scrolling box, short ones into the label.
    const QFontMetrics metrics(font());
    const int lines = static_cast<int>(psLabel.count(QLatin1Char('\n'))) + 1;
    const QRect screen = QApplication::primaryScreen()
                             ? QApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    const bool useBox = options.sempreTxt || lines * metrics.lineSpacing() > screen.height() / 2;
    LabMessaggio->setVisible(!useBox);
    txtMessaggio->setVisible(useBox);
    LabMessaggio->setText(psLabel);
    txtMessaggio->setPlainText(psLabel);

    const int defaultIndex = qBound(1, options.comDefault, static_cast<int>(captions.size())) - 1;
    for (int i = 0; i < ComEsegui.size(); ++i) {
        QPushButton* button = ComEsegui[i];
        const bool used = i < captions.size();
        button->setVisible(used);
        button->setText(used ? captions[i] : QString());
        button->setDefault(used && i == defaultIndex);
        button->setAutoDefault(used);
        if (options.widthCom > 0)
            button->setFixedWidth(options.widthCom);
    }
    int width = 0;
    for (const QString& line : psLabel.split(QLatin1Char('\n')))
        width = qMax(width, metrics.horizontalAdvance(line));
    width = qBound(240, width + 2 * options.latiForm + 60, screen.width() * 9 / 10);
    setMinimumWidth(qMax(width, options.largForm));
    adjustSize();
    if (options.suona)
        QApplication::beep();
    txtComRit->clear();
    ComEsegui[defaultIndex]->setFocus();
    const int result = exec();
    return result >= 1 && result <= captions.size() ? result : static_cast<int>(captions.size());
}

QString frmMsgCom::erroreText(int number, const QString& description, const QString& pri,
                              const QString& dop) {
    QString text = QStringLiteral("Errore(%1): %2").arg(number).arg(description);
    if (!pri.isEmpty())
        text += QLatin1Char('\n') + pri;
    if (!dop.isEmpty())
        text += QLatin1Char('\n') + dop;
    return text;
}

int frmMsgCom::MsgErrfrm(int number, const QString& description, const QString& psMsgAggPri,
                         const QString& psMsgAggDop) {
    setIcon(MsgIcon::Critical);
    return msgCom(erroreText(number, description, psMsgAggPri, psMsgAggDop), QStringLiteral("&Ok"));
}

}  // namespace evapre
