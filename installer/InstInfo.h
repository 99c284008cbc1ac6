#pragma once

#include "installer/framework/Backdrop.h"
#include "installer/framework/Components.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TForm1;
}

// The installer's only form: the backdrop on screen, and the configuration of what is
// installed, where and how, as components it owns.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TInstall* Install1;
    TInstallGroup* Group;
    TInstallDirectory* Directory;
    TInstallFile* InstallFile25;
    TInstallFile* InstallFile26;
    TInstallFile* InstallFile27;
    TInstallDirectory* ProgramsDirectory;
    TInstallFile* InstallFile28;
    TInstallFile* InstallFile29;
    TInstallEngine* InstallEngine;
    TInstallFile* EngineFile;
    TInstallFile* EngineFile1;
    TInstallFile* EngineConfigFile;
    TInstallDirectory* idMiscellaneous;
    TUninstallEXE* ifUninstallEXE;
    TInstallFile* ifUninstallIcon;
    TMainLinkGroup* MainFolder;
    TInstallMainLink* InstallMainLink;
    TInstallMainLink* InstallMainLink1;
    TDialogManager* DialogManager;
    TDialogManager* DialogManager1;
    TDialogManager* DialogManager2;
    TDialogManager* DialogManager3;
    TDialogManager* DialogManager4;
    TDialogManager* DialogManager5;
    TInstallPage* SelectDestinationDlg;
    TInstallPage* SelectFolderDlg;
    TInstallPage* GoodInstallationDlg;
    TInstallPage* BadInstallationDlg;
    TInstallPage* CopyFileDlg;
    TInstallStatusDlg* InstallStatusDlg;
    TTranslator* MainTranslator;
    TBackdrop* BackDrop;

private:
    std::unique_ptr<Ui::TForm1> ui;
};

extern TForm1* Form1;
