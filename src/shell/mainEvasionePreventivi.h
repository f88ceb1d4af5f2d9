#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "ConfigIni.h"
#include "MenuClient.h"
#include "ShellForm.h"
#include "ShellHost.h"

namespace evapre {

class HelpComponent;
class ParametriDitta;
class UiServices;
class scMenuComandiClie;
class scTovUtilPrg;

// Process-wide values of a run, set during start-up.
struct ShellState {
    QString menuId;
    QString programKey;
    QString programSubKey;
    QString launchFormName;
    QString helpFile;
    QString terminalName;
    bool pricesHidden = false;
    QString iniPath;
    QString nomeDBAzie;
    QString connectDBAzie;
    QString versione;
    QString dataVersione;
    QString ordIniDBase;
    DbSettings db;
    int dbId = 0;
    QString prepProcCorr;
    QString versMenu;
    QString addSeg;
    QString dataMinima = QStringLiteral("01/01/1900");
    bool arrUnitIntermedio = false;
    QString beepCome;
    bool lisSpostaCurs = false;
    bool lisClickNoSel = false;
    QString formatData = QStringLiteral("dd/mm/yyyy");
    QString dirImgEmail;
    QString dirImmagini;
    QHash<QString, QString> risoluzioneVideo;
    bool closing = false;
    QString pendingCloseReason;
};

// The program shell: start-up, the menu's commands, the form dispatcher and opener, and the
// close protocol with its two timers (timChiudi, TimVarie) and the fields of the hidden
// main form. It talks to the user through UiServices and to the windowing toolkit through
// ShellHost, so that it runs the same under a test.
class mainEvasionePreventivi : public QObject {
    Q_OBJECT
  public:
    using MenuFactory = std::function<std::unique_ptr<MenuClient>()>;
    using HelpFactory = std::function<std::unique_ptr<HelpComponent>()>;

    static constexpr int kProgramCode = 27;

    mainEvasionePreventivi(UiServices& ui, ShellHost& host, MenuFactory menuFactory,
                           QObject* parent = nullptr);
    ~mainEvasionePreventivi() override;

    // The running shell, for the forms.
    static mainEvasionePreventivi* current();

    void setHelpFactory(HelpFactory factory) { mHelpFactory = std::move(factory); }
    void setIniSearchPlaces(const IniSearchPlaces& places) { mPlaces = places; }

    // Runs the start-up sequence on a launch parameter line. False when start-up failed; the
    // close is then already on its way (timChiudi).
    bool start(const QString& commandLine);

    // The command handler: the answer the menu gets for a command.
    void eseguiComando(const QString& idMenu, const QString& keySec, const QString& command,
                       const QVariant& param, QVariant* answer);
    // Runs a command as the menu would and returns the answer.
    QVariant comando(const QString& command, const QVariant& param = {});

    // The form dispatcher.
    void apriForm(const QString& name, bool show, const QString& subKey, const QString& chiLancia,
                  const QString& keySecLancia, const QString& paramLancia);

    // Close request: asks the forms on the next timChiudi tick, or at once when forced.
    void richiediChiusura(bool force);
    // After a fatal start-up error: the next tick terminates without asking.
    void chiusuraDopoErrore();
    // Brings the menu forward, or its process, or says that it is gone.
    void mostraMenu();

    // The hidden main form's fields and timers.
    int oiChiudi = 0;
    int oiFlagVarie = 0;
    QString osNomeForm;
    bool obRiprova = false;
    int oiTmpAttesa = 100;
    QTimer timChiudi;
    QTimer TimVarie;

    const ShellState& state() const { return mState; }
    ShellState& state() { return mState; }
    MenuClient* menu();
    UiServices& ui() { return mUi; }
    ParametriDitta* parametri() { return mParametri.get(); }
    HelpComponent* help();
    const std::vector<ShellForm*>& forms() const { return mForms; }
    ShellForm* findForm(const QString& name) const;
    QString lanciaKeyPrim() const;
    QString lanciaKeySec() const;

    bool ended() const { return mEnded; }
    int exitCode() const { return mExitCode; }

  signals:
    // The program has terminated: forms unloaded, registration ended, database closed.
    void terminated(int exitCode);

  private:
    bool startUp();
    void configure();
    bool openDatabase();
    void generalError(const QString& text);
    void apriFormInterna(const QString& name, bool show, const QString& subKey,
                         const LaunchInfo& launch);
    void onFormUnloaded(ShellForm* form);
    void ritornoAlChiamante(ShellForm* form);
    void onTimChiudi();
    void onTimVarie();
    bool tentaChiusura();
    bool termina();
    void releaseAll(bool now);
    void giveFocusTo(const QString& name);
    LaunchInfo currentLaunchInfo();
    void showFeInvio(const QVariant& param);
    void showFeAttesa(const QVariant& param);
    int msg(const QString& text, const QStringList& buttons = {QStringLiteral("&Ok")});

    UiServices& mUi;
    ShellHost& mHost;
    MenuFactory mMenuFactory;
    HelpFactory mHelpFactory;
    IniSearchPlaces mPlaces;
    QString mCommandLine;
    ShellState mState;
    std::unique_ptr<scMenuComandiClie> mSink;
    std::unique_ptr<scTovUtilPrg> mHelpSink;
    std::unique_ptr<ParametriDitta> mParametri;
    std::vector<ShellForm*> mForms;
    bool mTerminating = false;
    bool mEnded = false;
    int mExitCode = 0;
};

}  // namespace evapre
