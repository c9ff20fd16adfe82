#include "tools/frmAbout.h"

#include "core/Fonts.h"
#include "core/MessageBox.h"
#include "core/Twips.h"
#include "core/Version.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

using namespace kivo;

namespace {

QWidget *addLine(QWidget *parent, const char *name, int x1, int y, int x2, const QColor &colour)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setGeometry(px(x1), px(y), px(x2 - x1), 1);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, colour);
    line->setPalette(pal);
    return line;
}

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &r)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(r);
    return label;
}

} // namespace

frmAbout::frmAbout(std::unique_ptr<SysInfoLauncher> launcher)
    : QDialog(nullptr), m_launcher(std::move(launcher))
{
    // The picture lives in the library's resources, which a static link drops unless asked for.
    Q_INIT_RESOURCE(kivo);
    installFontSubstitutions();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(appTitle());
    QFont face(QStringLiteral("Microsoft Sans Serif"));
    face.setPointSizeF(8.25);
    setFont(face);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(pal);

    Image1 = addLabel(this, "Image1", QString(), QRect(px(240), px(240), 48, 48));
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/kivo-256.png"))
                          .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    lblTitle = addLabel(this, "lblTitle", QStringLiteral("Kivobench"), pxRect(1170, 360, 3885, 480));
    QFont titleFont = font();
    titleFont.setPointSize(16);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = addLabel(this, "lblVersion", QStringLiteral("Ver. ") + versionText(appVersion()),
                          pxRect(1170, 900, 3885, 225));
    lblDescription = addLabel(this, "lblDescription", QString(), pxRect(1170, 1245, 3885, 330));

    // The etched separator: a grey line with a white one under it.
    Line1_1 = addLine(this, "Line1_1", 90, 1725, 5654, QColor(128, 128, 128));
    Line1_0 = addLine(this, "Line1_0", 105, 1740, 5654, QColor(255, 255, 255));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(pxRect(4004, 1920, 1587, 345));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(pxRect(4004, 2355, 1587, 345));
    cmdSysInfo->setAutoDefault(false);

    // OK is the default button (Enter); QDialog already closes on Esc, OK's role as cancel button.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    // Design client area 5730 x 2850 twips.
    setFixedSize(px(5730), px(2850));
}

frmAbout::~frmAbout() = default;

void frmAbout::StartSysInfo()
{
    if (m_launcher && m_launcher->start())
        return;
    showMessage(this, QStringLiteral("지금은 시스템 정보를 사용할 수 없습니다."), QMessageBox::NoIcon,
                appTitle());
}
