// The shell's windows: the message window, the placeholder selection form and the hidden
// main form under the close protocol.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
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

TEST(Selezione, PlaceholderOpensAndTheUserClosesIt) {
    RegisterScreens();
    std::unique_ptr<ShellForm> form = FormRegistry::create(QStringLiteral("FrmEvasPre"));
    ASSERT_NE(form, nullptr);
    bool unloaded = false;
    QObject::connect(form.get(), &ShellForm::unloaded, [&] { unloaded = true; });
    form->load();
    ASSERT_EQ(form->oiLoadOk, 1);
    form->show(false);
    QWidget* window = static_cast<WidgetForm*>(form.get())->widget();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Evasione Preventivi"));
    EXPECT_NE(window->findChild<QLabel*>(QStringLiteral("LabSelezione")), nullptr);
    window->findChild<QPushButton*>(QStringLiteral("ComChiudi"))->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(unloaded);
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
