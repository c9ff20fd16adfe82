#pragma once

#include "tools/SysInfoLauncher.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QWidget;

// The About box: the program's picture, title and version, and a button that starts the system's
// information tool. Modal and without an owner; OK, Enter and Esc close it.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(std::unique_ptr<kivo::SysInfoLauncher> launcher = kivo::platformSysInfoLauncher());
    ~frmAbout() override;

    QLabel *Image1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QWidget *Line1_1 = nullptr;
    QWidget *Line1_0 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

    // Starts the system-information tool; every failure ends in one message and the box stays.
    void StartSysInfo();

private:
    std::unique_ptr<kivo::SysInfoLauncher> m_launcher;
};
