// The shell's windows: the message window, the working-form wrapper and the hidden main
// form under the close protocol.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include "UiServices.h"
#include "WidgetForm.h"
#include "frmMsgCom.h"
#include "frmPrincipale.h"

namespace evapre::test {
namespace {

// Clicks a button of the next message window once it is showing.
void clickLater(int index) {
    QTimer::singleShot(0, [index] {
        auto* window = qobject_cast<frmMsgCom*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        window->buttons().at(index)->click();
    });
}

TEST(FrmMsgCom, ReturnsTheNumberOfThePressedButton) {
    for (int index : {0, 1, 2}) {
        frmMsgCom window;
        clickLater(index);
        frmMsgCom::Options options;
        options.title = QStringLiteral("Titolo");
        EXPECT_EQ(window.msgCom(QStringLiteral("Testo"), QStringLiteral("&Sì"),
                                QStringLiteral("&No"), QStringLiteral("&Annulla"), options),
                  index + 1);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Titolo"));
        EXPECT_EQ(window.text(), QStringLiteral("Testo"));
    }
}

TEST(FrmMsgCom, ButtonsAndDefault) {
    frmMsgCom window;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Richiesta Comando"));
        EXPECT_TRUE(window.buttons()[0]->isVisible());
        EXPECT_TRUE(window.buttons()[1]->isVisible());
        EXPECT_FALSE(window.buttons()[2]->isVisible());
        EXPECT_TRUE(window.buttons()[1]->isDefault());
        window.close();  // closing the window answers with the last button
    });
    frmMsgCom::Options options;
    options.comDefault = 2;
    EXPECT_EQ(window.msgCom(QStringLiteral("Riprovare?"), QStringLiteral("&Riprovare"),
                            QStringLiteral("&Annulla"), {}, options),
              2);
}

TEST(FrmMsgCom, ErrorText) {
    EXPECT_EQ(frmMsgCom::erroreText(3022, QStringLiteral("Chiave duplicata"),
                                    QStringLiteral("Riga 1"), {}),
              QStringLiteral("Errore(3022): Chiave duplicata\nRiga 1"));
}

// A working form over its widget: the widget's own close unloads the form.
TEST(WidgetForm, LoadsItsWidgetAndUnloadsWhenTheUserClosesIt) {
    WidgetForm form(QStringLiteral("frmProva"), [](WidgetForm&) {
        auto* window = new QWidget;
        auto* close = new QPushButton(QStringLiteral("&Chiudi"), window);
        close->setObjectName(QStringLiteral("ComChiudi"));
        QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
        return window;
    });
    bool unloaded = false;
    QObject::connect(&form, &ShellForm::unloaded, [&] { unloaded = true; });
    form.load();
    ASSERT_EQ(form.oiLoadOk, 1);
    form.show(false);
    form.widget()->findChild<QPushButton*>(QStringLiteral("ComChiudi"))->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(unloaded);
}

// Without a running shell and its database the selection form cannot load.
TEST(Selezione, WithoutTheShellTheFormDoesNotLoad) {
    RegisterScreens();
    std::unique_ptr<ShellForm> form = FormRegistry::create(QStringLiteral("FrmEvasPre"));
    ASSERT_NE(form, nullptr);
    form->load();
    EXPECT_EQ(form->oiLoadOk, 0);
    EXPECT_EQ(static_cast<WidgetForm*>(form.get())->widget(), nullptr);
}

TEST(FrmPrincipale, SeesAModalWindow) {
    frmPrincipale principale;
    EXPECT_FALSE(principale.modalWindowShowing());
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    EXPECT_TRUE(principale.modalWindowShowing());
    dialog.hide();
    EXPECT_FALSE(principale.modalWindowShowing());
}

}  // namespace
}  // namespace evapre::test
