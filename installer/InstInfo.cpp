#include "installer/InstInfo.h"

#include "ui_InstInfo.h"

#include <QFile>

TForm1* Form1 = nullptr;

// The string table is a resource of this library; named here so the linker keeps it.
static void initResources()
{
    Q_INIT_RESOURCE(installer);
}

namespace {

template <class T> T* component(QObject* owner, const char* name)
{
    auto* object = new T(owner);
    object->setObjectName(QLatin1String(name));
    return object;
}

TInstallFile* file(QObject* container, const char* name, const QString& fileName,
                   const QString& destName, TSourceFolder source, TOverwriteMode overwrite,
                   bool updateCounter, int uniqueId)
{
    auto* f = component<TInstallFile>(container, name);
    f->FileName = fileName;
    f->DestName = destName;
    f->SourceFolder = source;
    f->OverwriteMode = overwrite;
    f->UpdateDLLCounter = updateCounter;
    f->UniqueID = uniqueId;
    return f;
}

TInstallPage* page(TDialogManager* manager, const char* name, TPageKind kind, int order)
{
    auto* p = component<TInstallPage>(manager, name);
    p->Kind = kind;
    p->Manager = manager;
    p->Order = order;
    p->OverrideMainTranslator = false;
    return p;
}

TDialogManager* manager(QObject* owner, const char* name, TDialogManagerType type)
{
    auto* m = component<TDialogManager>(owner, name);
    m->ManagerType = type;
    return m;
}

StringTable englishStrings()
{
    initResources();
    QFile table(QStringLiteral(":/installer/lgEnglish.strings"));
    table.open(QIODevice::ReadOnly);
    return StringTable::parse(QString::fromUtf8(table.readAll()));
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    BackDrop = ui->BackDrop;
    BackDrop->StartColor = QColor(192, 192, 192);
    BackDrop->EndColor = QColor(0, 0, 255);
    BackDrop->Direction = bdVertOut;
    setBackgroundRole(QPalette::Button);

    Install1 = component<TInstall>(this, "Install1");
    Install1->Description = QStringLiteral("Radaziz de Rendimentos 99");
    Install1->Information = {QStringLiteral("Murel Software Ltda"),
                             QStringLiteral("Radaziz de Rendimentos 99"), QStringLiteral("1.0a")};
    Install1->DestDirType = psProgramFiles;
    Install1->DestDir = QStringLiteral("/Rodaver99");
    Install1->UseLoadingProgram = true;
    Install1->PresetupFiles = {QStringLiteral("libradaziz-engine-setup.so")};
    Install1->HideMainForm = false;
    Install1->Reboot = false;
    Install1->BuildInfo = {QStringLiteral("setup"), false};

    Group = component<TInstallGroup>(Install1, "Group");
    Group->Description = QStringLiteral("Program files");
    Group->DestDir = QStringLiteral("/Program files");

    // The programs the user starts: each finds the installed engine, then starts its program.
    Directory = component<TInstallDirectory>(Group, "Directory");
    Directory->Description = QStringLiteral("Programas");
    InstallFile25 = file(Directory, "InstallFile25", QStringLiteral("radaziz-launcher"),
                         QStringLiteral("radaziz"), sfProgramBuild, owAlways, false, 1);
    InstallFile26 = file(Directory, "InstallFile26", QStringLiteral("radaziz-export-launcher"),
                         QStringLiteral("radaziz-export"), sfProgramBuild, owAlways, false, 2);
    InstallFile27 = file(Directory, "InstallFile27", QStringLiteral("radaziz.png"),
                         QStringLiteral("radaziz.png"), sfProgramBuild, owAlways, false, 17);

    ProgramsDirectory = component<TInstallDirectory>(Group, "ProgramsDirectory");
    ProgramsDirectory->Description = QStringLiteral("Programas internos");
    ProgramsDirectory->DestDir = QStringLiteral("/libexec");
    InstallFile28 = file(ProgramsDirectory, "InstallFile28", QStringLiteral("radaziz"),
                         QStringLiteral("radaziz"), sfProgramBuild, owAlways, false, 18);
    InstallFile29 = file(ProgramsDirectory, "InstallFile29", QStringLiteral("radaziz-export"),
                         QStringLiteral("radaziz-export"), sfProgramBuild, owAlways, false, 19);

    InstallEngine = component<TInstallEngine>(Install1, "InstallEngine");
    InstallEngine->Description = QStringLiteral("Radaziz database engine");
    InstallEngine->DestDirType = psEngineFolder;
    // dBase tables of the payroll, the work table and local SQL; no links to SQL servers.
    InstallEngine->Drivers = {QStringLiteral("DBASE"), QStringLiteral("WORKTABLE"),
                              QStringLiteral("SQL")};
    InstallEngine->SqlLinks = {};
    InstallEngine->Language = QStringLiteral("0009");
    InstallEngine->ConfigName = QStringLiteral("radaziz-engine.cfg");
    InstallEngine->FailedMergeName = QStringLiteral("IDAPINEW.CFG");
    InstallEngine->SetupLibrary = QStringLiteral("libradaziz-engine-setup.so");
    InstallEngine->LibraryFile = QStringLiteral("libradaziz-engine.so");
    EngineFile =
        file(InstallEngine, "EngineFile", QStringLiteral("libradaziz-engine.so"),
             QStringLiteral("libradaziz-engine.so"), sfEngineShared, owVersionDate, true, 3);
    EngineFile1 =
        file(InstallEngine, "EngineFile1", QStringLiteral("radaziz-engine-0009.msg"),
             QStringLiteral("radaziz-engine-0009.msg"), sfEngineShared, owVersionDate, true, 4);
    EngineConfigFile =
        file(InstallEngine, "EngineConfigFile", QStringLiteral("radaziz-engine-1.cnf"),
             QStringLiteral("radaziz-engine.cnf"), sfInstallerPlatform, owAlways, false, 7);
    InstallEngine->ConfigFile = EngineConfigFile;

    idMiscellaneous = component<TInstallDirectory>(Install1, "idMiscellaneous");
    idMiscellaneous->Description = QStringLiteral("Uninstall");
    idMiscellaneous->DestDir = QStringLiteral("/Uninstall");
    ifUninstallEXE = component<TUninstallEXE>(idMiscellaneous, "ifUninstallEXE");
    ifUninstallEXE->FileName = ifUninstallEXE->DestName = QStringLiteral("uninstall");
    ifUninstallEXE->SourceFolder = sfInstallerPlatform;
    ifUninstallEXE->OverwriteMode = owAlways;
    ifUninstallEXE->UpdateDLLCounter = false;
    ifUninstallEXE->UniqueID = 0;
    ifUninstallIcon =
        file(idMiscellaneous, "ifUninstallIcon", QStringLiteral("uninstall.png"),
             QStringLiteral("uninstall.png"), sfInstallerPlatform, owAlways, false, 20);

    MainFolder = component<TMainLinkGroup>(Install1, "MainFolder");
    MainFolder->DestDirType = psProgramsMenu;
    MainFolder->DestDir = QStringLiteral("/Radaziz de Rendimentos 99");
    InstallMainLink = component<TInstallMainLink>(MainFolder, "InstallMainLink");
    InstallMainLink->LinkName = QStringLiteral("Radaziz.desktop");
    InstallMainLink->Target = InstallFile25;
    InstallMainLink->Icon = InstallFile27;
    InstallMainLink1 = component<TInstallMainLink>(MainFolder, "InstallMainLink1");
    InstallMainLink1->LinkName = QStringLiteral("uninstall.desktop");
    InstallMainLink1->Target = ifUninstallEXE;
    InstallMainLink1->Arguments = {Install1->Information.ProductName};
    InstallMainLink1->Icon = ifUninstallIcon;

    DialogManager = manager(Install1, "DialogManager", dmBeforeInstall);
    SelectDestinationDlg = page(DialogManager, "SelectDestinationDlg", pkSelectDestination, 45);
    SelectFolderDlg = page(DialogManager, "SelectFolderDlg", pkSelectFolder, 60);
    DialogManager1 = manager(Install1, "DialogManager1", dmAfterGoodInstall);
    GoodInstallationDlg = page(DialogManager1, "GoodInstallationDlg", pkGoodInstallation, 10);
    DialogManager2 = manager(Install1, "DialogManager2", dmAfterBadInstall);
    BadInstallationDlg = page(DialogManager2, "BadInstallationDlg", pkBadInstallation, 10);
    DialogManager3 = manager(Install1, "DialogManager3", dmDuringCopyFiles);
    CopyFileDlg = page(DialogManager3, "CopyFileDlg", pkCopyFile, 0);
    DialogManager4 = manager(Install1, "DialogManager4", dmChangeDisk);
    DialogManager5 = manager(Install1, "DialogManager5", dmReboot);
    InstallStatusDlg = component<TInstallStatusDlg>(Install1, "InstallStatusDlg");

    MainTranslator = component<TTranslator>(this, "MainTranslator");
    MainTranslator->TranslateIntoLanguage = ylPortugese;
    MainTranslator->Languages = {
        {ylEnglish, QStringLiteral("MS Sans Serif"), -11, englishStrings()},
        {ylPortugese, QStringLiteral("MS Sans Serif"), -11, StringTable()},
    };
    setFont(MainTranslator->font());
}

TForm1::~TForm1() = default;
