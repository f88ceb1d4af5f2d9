#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QVariant>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace evapre {

enum class MsgIcon;

// Title, beep, default button and layout of a message.
struct MsgComOptions {
    QString title;
    bool suona = false;
    int comDefault = 1;
    int fontSize = 0;        // 0 keeps the standard size
    int largForm = 0;        // minimum width in pixels, 0 to fit the text
    int latiForm = 12;       // margin around the text
    int widthCom = 0;        // button width, 0 to fit the captions
    bool sempreTxt = false;  // the text always in a scrolling box
};

// The command/message window: a text and one to three buttons; msgCom returns the number
// of the button pressed (1-based). Closing the window without a button counts as the last
// button, the most cautious answer ("&Annulla", "&No").
class frmMsgCom : public QDialog {
    Q_OBJECT
  public:
    using Options = MsgComOptions;

    explicit frmMsgCom(QWidget* parent = nullptr);

    int msgCom(const QString& psLabel, const QString& psCom1, const QString& pvCom2 = {},
               const QString& pvCom3 = {}, const Options& options = {});
    // "Errore(<number>): <description>" with up to two more lines.
    int MsgErrfrm(int number, const QString& description, const QString& psMsgAggPri = {},
                  const QString& psMsgAggDop = {});
    static QString erroreText(int number, const QString& description, const QString& pri,
                              const QString& dop);

    void setIcon(MsgIcon icon);
    // The window as last prepared, for the tests.
    QList<QPushButton*> buttons() const { return ComEsegui; }
    QString text() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void press(int index);

    QLabel* mIcon;
    QLabel* LabMessaggio;
    QPlainTextEdit* txtMessaggio;
    QList<QPushButton*> ComEsegui;
    QLineEdit* txtComRit;
    QWidget* mButtonRow;
};

}  // namespace evapre
