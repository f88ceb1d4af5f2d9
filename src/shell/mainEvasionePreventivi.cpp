#include "mainEvasionePreventivi.h"

#include <QDir>
#include <new>

#include "ConnessioneDb.h"
#include "DbError.h"
#include "HelpComponent.h"
#include "IniFile.h"
#include "LaunchParams.h"
#include "MenuError.h"
#include "NumberConv.h"
#include "ParametriDitta.h"
#include "PathUtil.h"
#include "UiServices.h"
#include "VeltDbasedll.h"
#include "scMenuComandiClie.h"
#include "scTovUtilPrg.h"

namespace evapre {

namespace {

mainEvasionePreventivi* gCurrent = nullptr;

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

// A lettered launch parameter, trimmed.
QString lettera(QChar letter, const QString& line) {
    return LaunchParam(letter, line).trimmed();
}

QString menuNonInEsecuzione() {
    return QStringLiteral(
        "Il menu principale non è in esecuzione\n"
        "Questo programma non può essere eseguito autonomamente");
}

// A start-up step that failed after its own message; the close is already requested.
struct StartAborted {};

// The elements of an array parameter; nothing for any other kind of value.
QVariantList elements(const QVariant& param) {
    if (param.typeId() == QMetaType::QVariantList || param.typeId() == QMetaType::QStringList)
        return param.toList();
    return {};
}

QVariant element(const QVariantList& list, int index) {
    return index >= 0 && index < list.size() ? list.at(index) : QVariant();
}

bool isZero(const QVariant& value) {
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok && number == 0;
}

}  // namespace

mainEvasionePreventivi::mainEvasionePreventivi(UiServices& ui, ShellHost& host,
                                               MenuFactory menuFactory, QObject* parent)
    : QObject(parent),
      mUi(ui),
      mHost(host),
      mMenuFactory(std::move(menuFactory)),
      mPlaces(IniSearchPlaces::standard()) {
    gCurrent = this;
    timChiudi.setSingleShot(false);
    TimVarie.setSingleShot(false);
    TimVarie.setInterval(1);
    connect(&timChiudi, &QTimer::timeout, this, &mainEvasionePreventivi::onTimChiudi);
    connect(&TimVarie, &QTimer::timeout, this, &mainEvasionePreventivi::onTimVarie);
}

mainEvasionePreventivi::~mainEvasionePreventivi() {
    if (!mEnded) {
        mTerminating = true;
        for (ShellForm* form : mForms)
            disconnect(form, nullptr, this, nullptr);
        mForms.clear();
        releaseAll(true);
    }
    if (gCurrent == this)
        gCurrent = nullptr;
}

mainEvasionePreventivi* mainEvasionePreventivi::current() {
    return gCurrent;
}

MenuClient* mainEvasionePreventivi::menu() {
    return mSink ? &mSink->ogMenuClient() : nullptr;
}

HelpComponent* mainEvasionePreventivi::help() {
    return mHelpSink ? mHelpSink->ogTovAiuto() : nullptr;
}

QString mainEvasionePreventivi::lanciaKeyPrim() const {
    return mHelpSink ? mHelpSink->lanciaKeyPrim() : QString();
}

QString mainEvasionePreventivi::lanciaKeySec() const {
    return mHelpSink ? mHelpSink->lanciaKeySec() : QString();
}

int mainEvasionePreventivi::msg(const QString& text, const QStringList& buttons) {
    // During the "fine" command nobody is there to read a message.
    if (mState.closing)
        return buttons.size();
    return mUi.message(text, buttons, 1, MsgIcon::None);
}

// ---------------------------------------------------------------- start-up

bool mainEvasionePreventivi::start(const QString& commandLine) {
    mCommandLine = commandLine;
    mState = ShellState();
    mExitCode = 0;
    try {
        return startUp();
    } catch (const StartAborted&) {
        return false;
    }
}

bool mainEvasionePreventivi::startUp() {
    // 1. Launch parameters.
    mState.pendingCloseReason.clear();
    mState.menuId = lettera(QLatin1Char('M'), mCommandLine);
    const QString p = lettera(QLatin1Char('P'), mCommandLine);
    const qsizetype blank = p.indexOf(QLatin1Char(' '));
    mState.programKey = blank < 0 ? p : p.left(blank);
    mState.programSubKey = blank < 0 ? QString() : p.mid(blank + 1).trimmed();

    // 3. Registration with the menu.
    try {
        std::unique_ptr<MenuClient> client = mMenuFactory ? mMenuFactory() : nullptr;
        if (!client)
            throw MenuError(menuNonInEsecuzione());
        mSink = std::make_unique<scMenuComandiClie>(std::move(client));
        mSink->setHandler([this](const QString& idMenu, const QString& keySec,
                                 const QString& command, const QVariant& param, QVariant* answer) {
            eseguiComando(idMenu, keySec, command, param, answer);
        });
        if (!menu()->registerClient(mState.menuId, mState.programKey, mState.programSubKey))
            throw MenuError(menuNonInEsecuzione());
        mState.prepProcCorr =
            menu()->generalParameter(QStringLiteral("PrepProcCorr"), QStringLiteral("Tutti"));
    } catch (const std::exception&) {
        mUi.message(menuNonInEsecuzione(), {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        chiusuraDopoErrore();
        return false;
    }

    // 4. Launch information and help file.
    try {
        const LaunchInfo launch = menu()->launchInfo();
        mState.helpFile = lettera(QLatin1Char('H'), launch.osParam);
        mHost.setHelpFile(mState.helpFile);
    } catch (const std::exception&) {
        mUi.message(QStringLiteral("Problemi col collegamento col menù\n"
                                   "Forse questo programma non è stato lanciato correttamente"),
                    {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        chiusuraDopoErrore();
        return false;
    }

    // 5 to 13; anything unexpected goes to the general handler.
    try {
        configure();
    } catch (const StartAborted&) {
        return false;
    } catch (const MenuError&) {
        generalError(menuNonInEsecuzione());
        return false;
    } catch (const std::bad_alloc&) {
        generalError(QStringLiteral("Memoria esaurita\nChiudere qualche programma e riprovare"));
        return false;
    } catch (const DbError& e) {
        generalError(QStringLiteral("Errore (%1): %2\nProbabilmente il menù non è stato avviato "
                                    "correttamente")
                         .arg(e.number())
                         .arg(e.text()));
        return false;
    } catch (const std::exception& e) {
        generalError(QStringLiteral("Errore (%1): %2\nProbabilmente il menù non è stato avviato "
                                    "correttamente")
                         .arg(0)
                         .arg(QString::fromUtf8(e.what())));
        return false;
    }
    if (mEnded || timChiudi.isActive())
        return false;

    // After the start-up routine: terminals that must not see prices.
    const QString terminals =
        mParametri->personal(QStringLiteral("Preventivi"), QStringLiteral("DisabTermVisPrz"));
    mState.pricesHidden = ParametriDitta::pricesHiddenFor(terminals, mState.terminalName);
    return true;
}

void mainEvasionePreventivi::generalError(const QString& text) {
    mUi.message(text, {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
    chiusuraDopoErrore();
}

void mainEvasionePreventivi::configure() {
    MenuClient& client = *menu();
    mParametri = std::make_unique<ParametriDitta>(client);

    // 5. Configuration path, version, database names.
    mState.iniPath = client.iniPath();
    mState.versione = client.parameter(QStringLiteral("Versione")).trimmed();
    mState.dataVersione = client.parameter(QStringLiteral("DataVersione")).trimmed();
    mState.nomeDBAzie = client.parameter(QStringLiteral("NomeDBAzie")).trimmed();
    mState.connectDBAzie = client.parameter(QStringLiteral("ConnectDBAzie"));

    // 6. Configuration file and database.
    if (!openDatabase())
        throw StartAborted();

    // 7. The menu marks a company it could not prepare.
    if (mState.connectDBAzie.trimmed().startsWith(QLatin1String("Err:"), Qt::CaseInsensitive)) {
        mUi.message(
            QStringLiteral("Il menu non ha potuto preparare la connessione all'azienda:\n") +
                mState.connectDBAzie.trimmed(),
            {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        chiusuraDopoErrore();
        throw StartAborted();
    }

    // 8. Company parameters.
    mParametri->load();
    mState.terminalName = client.terminalName();
    mState.arrUnitIntermedio = mParametri->arrUnitIntermedio();
    const QString ini = mState.iniPath;
    mState.formatData = IniLeggi(ini, QStringLiteral("Configurazioni"),
                                 QStringLiteral("FormatData"), QStringLiteral("dd/mm/yyyy"));

    // 9. Screen scaling.
    for (const char* key : {"Generale", "PersBase", "StaVid", "Help", "MsgCom"})
        mState.risoluzioneVideo.insert(
            QLatin1String(key),
            IniLeggi(ini, QStringLiteral("Risoluzione Video"), QLatin1String(key)));

    // 10. Image folders.
    mState.dirImgEmail =
        IniLeggi(ini, QStringLiteral("Base"), QStringLiteral("DirImgEmail")).trimmed();
    QString images = IniLeggi(ini, QStringLiteral("Base"), QStringLiteral("DirImmagini")).trimmed();
    if (!images.isEmpty()) {
        const bool rooted = images.startsWith(QLatin1Char('/')) ||
                            images.startsWith(QLatin1String("\\\\")) ||
                            (images.size() >= 2 && images.at(1) == QLatin1Char(':'));
        if (!rooted)
            images =
                IniLeggi(ini, QStringLiteral("Base"), QStringLiteral("DriveDB")).trimmed() + images;
        images = NormalizzaCartella(images);
    }
    mState.dirImmagini = images;

    // 11. Help component.
    mHelpSink = std::make_unique<scTovUtilPrg>(mHelpFactory ? mHelpFactory() : nullptr);
    mHelpSink->setShowMainMenu([this] { mostraMenu(); });
    const QString hlpSpost =
        mParametri->personal(QStringLiteral("Help"), QStringLiteral("HlpSpost"));
    if (!isBlank(hlpSpost))
        help()->setSpostaCurs(true, hlpSpost.trimmed().toInt());

    // 12. Launch form and general settings.
    mState.launchFormName = lettera(QLatin1Char('F'), mCommandLine);
    mState.versMenu = client.parameter(QStringLiteral("VersMenu")).trimmed();
    if (QString(mState.versMenu).replace(QLatin1Char(','), QLatin1Char('.')).toDouble() >= 1.07)
        mState.addSeg = client.generalParameter(QStringLiteral("AddSeg"), QStringLiteral("Tutti"));
    mState.beepCome =
        IniLeggi(ini, QStringLiteral("Parametri Generali"), QStringLiteral("BeepCome"));
    mState.lisSpostaCurs = IniLeggi(ini, QStringLiteral("Config"), QStringLiteral("LisSpostaCurs"),
                                    QStringLiteral("N"))
                               .trimmed()
                               .toUpper() == QLatin1String("S");
    mState.lisClickNoSel = IniLeggi(ini, QStringLiteral("Config"), QStringLiteral("LisClickNoSel"),
                                    QStringLiteral("N"))
                               .trimmed()
                               .toUpper() == QLatin1String("S");
    mState.dataMinima = mParametri->dataMinima();

    // 13. The form the launch asks for.
    const LaunchInfo launch = client.launchInfo();
    apriForm(mState.launchFormName, true, mState.programSubKey, launch.osChiLancia,
             launch.osKeySecLancia, launch.osParamLancia);
}

bool mainEvasionePreventivi::openDatabase() {
    const QString found =
        FindIniFile(mState.iniPath, lettera(QLatin1Char('I'), mCommandLine), mPlaces);
    if (found.isEmpty()) {
        mUi.message(QStringLiteral("File ini non trovato\nSistemare e rieseguire"),
                    {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        chiusuraDopoErrore();
        return false;
    }
    const IniChoice choice = ChooseIniFile(found, mUi);
    if (!choice.ok) {
        chiusuraDopoErrore();
        return false;
    }
    mState.iniPath = choice.path;
    mState.ordIniDBase = IniLeggi(mState.iniPath, QStringLiteral("Parametri Generali"),
                                  QStringLiteral("OrdIniDBase"));
    if (!ReadDbSettings(mState.iniPath, {}, mState.nomeDBAzie, mState.connectDBAzie, mUi,
                        &mState.db)) {
        chiusuraDopoErrore();
        return false;
    }
    ConnWindowInfo window;
    window.nomeDb = mState.db.nomeDb;
    window.showAccess = DbKindFromName(mState.db.nomeDb) == DbKind::SQLite;
    window.showOracle = !window.showAccess;
    if (!mState.versione.isEmpty())
        window.versione = QStringLiteral("Versione ") + mState.versione;
    if (!mState.dataVersione.isEmpty())
        window.dataVersione = QStringLiteral("del ") + mState.dataVersione;
    ConnessioneDb connessione(*menu(), mUi, &mHost);
    mState.dbId = connessione.open(mState.db, window);
    if (mState.dbId == 0) {
        chiusuraDopoErrore();
        return false;
    }
    VeltDbasedll::instance().setLockConnection(mState.dbId);
    return true;
}

// ---------------------------------------------------------------- menu commands

QVariant mainEvasionePreventivi::comando(const QString& command, const QVariant& param) {
    QVariant answer = QString();
    if (mSink)
        mSink->eseguiComando(mState.menuId, mState.programSubKey, command, param, &answer);
    else
        eseguiComando(mState.menuId, mState.programSubKey, command, param, &answer);
    return answer;
}

void mainEvasionePreventivi::eseguiComando(const QString&, const QString&, const QString& command,
                                           const QVariant& param, QVariant* answer) {
    QVariant reply = QString();
    const QString word = command.trimmed().toLower();
    if (word == QLatin1String("fine")) {
        mState.closing = true;
        mState.pendingCloseReason.clear();
        oiChiudi = 1;
        const bool closed = mEnded || tentaChiusura();
        if (!closed)
            reply = isBlank(mState.pendingCloseReason) ? QStringLiteral("No Chiudi")
                                                       : mState.pendingCloseReason;
        mState.closing = false;
    } else if (word == QLatin1String("esiste")) {
        reply = true;
    } else if (word == QLatin1String("ritornoa")) {
        const QString name = param.toString().trimmed();
        if (name.isEmpty() || !findForm(name)) {
            try {
                if (HelpComponent* component = help(); component && component->mainWindowVisible())
                    component->buttonComando(QStringLiteral("Aggiorna"));
                if (!mForms.empty())
                    mForms.back()->giveFocus();
            } catch (const std::exception&) {
            }
        } else {
            apriFormInterna(name, true, mState.programSubKey, {});
        }
    } else if (word == QLatin1String("attiva")) {
        try {
            menu()->acknowledgeActivation();
            const LaunchInfo launch = menu()->launchInfo();
            apriForm(lettera(QLatin1Char('F'), launch.osParam), true, mState.programSubKey,
                     launch.osChiLancia, launch.osKeySecLancia, launch.osParamLancia);
        } catch (const std::exception& e) {
            msg(QStringLiteral("Problemi col collegamento col menù\n") +
                QString::fromUtf8(e.what()));
        }
    } else if (word == QLatin1String("preppassaa")) {
        for (ShellForm* form : std::vector<ShellForm*>(mForms)) {
            try {
                form->passaA();
            } catch (const std::exception&) {
            }
        }
    } else if (word == QLatin1String("passaa")) {
        const LaunchInfo launch = currentLaunchInfo();
        apriForm(param.toString(), true, mState.programSubKey, launch.osChiLancia,
                 launch.osKeySecLancia, launch.osParamLancia);
    } else if (word == QLatin1String("keyprgprim")) {
        reply = lanciaKeyPrim();
    } else if (word == QLatin1String("keyprgsec")) {
        reply = lanciaKeySec();
    } else if (word == QLatin1String("paramprgclie")) {
        reply = QStringLiteral("$Default$");
    } else if (word == QLatin1String("comandoprgclie")) {
        reply = QString();
    } else if (word == QLatin1String("feinvio")) {
        showFeInvio(param);
    } else if (word == QLatin1String("feattesa")) {
        showFeAttesa(param);
    }
    if (answer)
        *answer = reply;
}

void mainEvasionePreventivi::showFeInvio(const QVariant& param) {
    const QVariantList items = elements(param);
    if (items.size() < 3)
        return;
    QString text;
    if (isZero(element(items, 2))) {
        text = QStringLiteral("Inviate ") +
               FormatNumero(ConvertiDouble(element(items, 6)), 0).trimmed() +
               QStringLiteral(" fatture");
        const QString failed = element(items, 3).toString();
        if (!isBlank(failed))
            text += QStringLiteral("\nFatture non inviate per errori ") + failed.trimmed();
    } else {
        text = QStringLiteral("Errore nell'invio delle fatture elettroniche\nErr: ") +
               element(items, 2).toString() + QLatin1Char(' ') + element(items, 3).toString();
    }
    msg(text.trimmed());
}

void mainEvasionePreventivi::showFeAttesa(const QVariant& param) {
    const QVariantList items = elements(param);
    if (items.size() < 3)
        return;
    if (isZero(element(items, 2))) {
        const double waiting = element(items, 3).toString().trimmed().toDouble();
        if (waiting > 0)
            msg(QStringLiteral("Ci sono ") + element(items, 3).toString().trimmed() +
                QStringLiteral(" fatture in attesa"));
    } else {
        msg(QStringLiteral("Errore nel controllo delle fatture in attesa\nErr: ") +
            element(items, 2).toString() + QLatin1Char(' ') + element(items, 3).toString());
    }
}

LaunchInfo mainEvasionePreventivi::currentLaunchInfo() {
    try {
        if (menu())
            return menu()->launchInfo();
    } catch (const std::exception&) {
    }
    return {};
}

// ---------------------------------------------------------------- forms

ShellForm* mainEvasionePreventivi::findForm(const QString& name) const {
    const QString wanted = name.trimmed();
    for (ShellForm* form : mForms)
        if (form->name().compare(wanted, Qt::CaseInsensitive) == 0)
            return form;
    return nullptr;
}

void mainEvasionePreventivi::apriForm(const QString& name, bool show, const QString& subKey,
                                      const QString& chiLancia, const QString& keySecLancia,
                                      const QString& paramLancia) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed.toLower() != QLatin1String("frmevaspre")) {
        msg(QStringLiteral("La form richiesta e' inesistente"));
        richiediChiusura(false);
        return;
    }
    LaunchInfo launch = currentLaunchInfo();
    launch.osChiLancia = chiLancia;
    launch.osKeySecLancia = keySecLancia;
    launch.osParamLancia = paramLancia;
    apriFormInterna(trimmed, show, subKey, launch);
}

void mainEvasionePreventivi::apriFormInterna(const QString& name, bool show, const QString& subKey,
                                             const LaunchInfo& launch) {
    auto setProperties = [&](ShellForm* form) {
        form->osKeySec = subKey;
        form->osKeyLancia = launch.osChiLancia;
        form->osKeySecLancia = launch.osKeySecLancia;
        form->osParamLancia = launch.osParamLancia;
        form->osParam = launch.osParam;
    };

    if (ShellForm* loaded = findForm(name)) {
        setProperties(loaded);
        if (HelpComponent* component = help())
            component->hideFrm(loaded->name());
        loaded->attivatoDaAltri();
        loaded->giveFocus();
        giveFocusTo(loaded->name());
        return;
    }

    std::unique_ptr<ShellForm> created = FormRegistry::create(name);
    if (!created) {
        msg(QStringLiteral("Impossibile aprire il programma richiesto"));
        richiediChiusura(false);
        return;
    }
    ShellForm* form = created.release();
    form->setParent(this);
    setProperties(form);
    mForms.push_back(form);
    connect(form, &ShellForm::unloaded, this, &mainEvasionePreventivi::onFormUnloaded);
    try {
        form->load();
    } catch (const std::exception& e) {
        form->oiLoadOk = 0;
        msg(QStringLiteral("Impossibile aprire il programma richiesto\n") +
            QString::fromUtf8(e.what()));
    }
    if (form->oiLoadOk != 1) {
        form->unload();
        if (findForm(form->name()) == form)
            onFormUnloaded(form);
        richiediChiusura(false);
        return;
    }
    if (show) {
        form->show(form->isModal());
        giveFocusTo(form->name());
    }
}

void mainEvasionePreventivi::giveFocusTo(const QString& name) {
    oiFlagVarie = 1;
    osNomeForm = name;
    TimVarie.start();
}

void mainEvasionePreventivi::onTimVarie() {
    TimVarie.stop();
    if (oiFlagVarie != 1)
        return;
    oiFlagVarie = 0;
    try {
        if (ShellForm* form = findForm(osNomeForm))
            form->giveFocus();
    } catch (const std::exception&) {
    }
}

void mainEvasionePreventivi::onFormUnloaded(ShellForm* form) {
    const auto it = std::find(mForms.begin(), mForms.end(), form);
    if (it == mForms.end())
        return;
    mForms.erase(it);
    disconnect(form, nullptr, this, nullptr);
    form->deleteLater();
    if (form->oiLoadOk == 1 && !mState.closing && !mTerminating)
        ritornoAlChiamante(form);
}

void mainEvasionePreventivi::ritornoAlChiamante(ShellForm* form) {
    try {
        if (!isBlank(form->osKeyLancia))
            menu()->launchProgram(form->osKeyLancia, form->osKeySecLancia, form->osParamLancia);
        else
            mostraMenu();
    } catch (const std::exception&) {
        mostraMenu();
    }
    richiediChiusura(false);
    try {
        menu()->formEnded(form->osKeySec);
    } catch (const std::exception&) {
    }
}

void mainEvasionePreventivi::mostraMenu() {
    MenuClient* client = menu();
    bool shown = false;
    try {
        shown = client && client->bringMainWindowForward();
    } catch (const std::exception&) {
    }
    if (!shown && client) {
        try {
            const QString processId = client->parameter(QStringLiteral("MenuProcId")).trimmed();
            shown = !processId.isEmpty() && mHost.activateProcess(processId);
        } catch (const std::exception&) {
        }
    }
    if (!shown)
        msg(QStringLiteral("Il menu non è più disponibile"));
}

// ---------------------------------------------------------------- closing

void mainEvasionePreventivi::richiediChiusura(bool force) {
    if (mEnded)
        return;
    if (force) {
        oiChiudi = 1;
        tentaChiusura();
        return;
    }
    oiChiudi = 1;
    oiTmpAttesa = 100;
    timChiudi.stop();
    timChiudi.setInterval(1);
    timChiudi.start();
}

void mainEvasionePreventivi::chiusuraDopoErrore() {
    if (mEnded)
        return;
    mExitCode = 1;
    oiChiudi = 0;
    timChiudi.setInterval(1);
    timChiudi.start();
}

void mainEvasionePreventivi::onTimChiudi() {
    timChiudi.stop();
    const int chiudi = oiChiudi;
    if (tentaChiusura())
        return;
    oiChiudi = chiudi;
    if (timChiudi.interval() != 3000) {
        timChiudi.setInterval(oiTmpAttesa);
        timChiudi.start();
    } else {
        timChiudi.setInterval(1);
    }
}

bool mainEvasionePreventivi::tentaChiusura() {
    if (mEnded)
        return true;
    if (oiChiudi != 0) {
        oiChiudi = 0;
        for (ShellForm* form : std::vector<ShellForm*>(mForms)) {
            bool agrees = false;
            try {
                agrees = form->queryUnload();
            } catch (const std::exception&) {
            }
            if (!agrees)
                return false;
        }
    }
    return termina();
}

bool mainEvasionePreventivi::termina() {
    mHost.processEvents();
    if (mEnded)
        return true;
    if (mHost.modalWindowShowing()) {
        mState.pendingCloseReason = QStringLiteral("Maschera Modal");
        return false;
    }
    mTerminating = true;
    mHost.showClosing(true);
    while (!mForms.empty()) {
        ShellForm* form = mForms.back();
        try {
            form->unload();
        } catch (const std::exception&) {
        }
        if (!mForms.empty() && mForms.back() == form)
            onFormUnloaded(form);
    }
    releaseAll(false);
    mEnded = true;
    timChiudi.stop();
    TimVarie.stop();
    emit terminated(mExitCode);
    mHost.quit(mExitCode);
    return true;
}

void mainEvasionePreventivi::releaseAll(bool now) {
    if (mSink) {
        try {
            mSink->ogMenuClient().endRegistration();
        } catch (const std::exception&) {
        }
    }
    auto& component = VeltDbasedll::instance();
    if (mState.dbId != 0 && component.hasConnection(mState.dbId)) {
        try {
            if (component.lockConnectionId() == mState.dbId)
                component.endLockUse();
        } catch (const std::exception&) {
        }
        component.closeConnection(mState.dbId);
    }
    mState.dbId = 0;
    mParametri.reset();
    // The sink may be in the middle of answering the command that closed the program: it
    // goes once control is back in the event loop.
    if (now) {
        mSink.reset();
        mHelpSink.reset();
        return;
    }
    if (mSink)
        mSink.release()->deleteLater();
    if (mHelpSink)
        mHelpSink.release()->deleteLater();
}

}  // namespace evapre
