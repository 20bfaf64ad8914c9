#include "ui/about_box.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/paths.h"

namespace morvek {

QString VersionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(MORVEK_VERSION_MAJOR)
        .arg(MORVEK_VERSION_MINOR)
        .arg(MORVEK_VERSION_PATCH);
}

QPixmap ProgramIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(120, 30, 20));
    p.setPen(QPen(QColor(60, 10, 5), size / 16.0));
    p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
    // A rising frag line over a grid.
    p.setPen(QPen(QColor(255, 200, 80), size / 12.0));
    const QPointF line[] = {{size * 0.15, size * 0.8},
                            {size * 0.4, size * 0.55},
                            {size * 0.6, size * 0.65},
                            {size * 0.85, size * 0.2}};
    p.drawPolyline(line, 4);
    return pixmap;
}

Splash::Splash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    logoLabel = new QLabel(frame);
    logoLabel->setPixmap(ProgramIcon(64));
    QFont arial(QStringLiteral("Arial"));
    productNameLabel = new QLabel(frame);
    QFont big = arial;
    big.setPixelSize(28);
    big.setBold(true);
    productNameLabel->setFont(big);
    versionLabel = new QLabel(frame);
    versionLabel->setFont(arial);
    copyrightLabel = new QLabel(QStringLiteral("A monitor for Quake-family game servers"), frame);
    copyrightLabel->setFont(arial);
    auto* text = new QVBoxLayout;
    text->addWidget(productNameLabel);
    text->addWidget(versionLabel);
    text->addWidget(copyrightLabel);
    auto* row = new QHBoxLayout(frame);
    row->addWidget(logoLabel);
    row->addLayout(text);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    Load();
}

void Splash::ShowPainted(int max_ms) {
    painted_ = false;
    show();
    raise();
    // The window system maps the window and asks for its first paint after show() returns: one
    // turn of the event loop is not enough for either.
    QDeadlineTimer deadline(max_ms);
    while (!deadline.hasExpired() && !(windowHandle() && windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!painted_) repaint();
    QCoreApplication::processEvents();
}

void Splash::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    painted_ = true;
}

void Splash::Load() {
    versionLabel->setText(VersionText());
    productNameLabel->setText(QStringLiteral("Morvek"));
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    iconLabel = new QLabel(this);
    iconLabel->setPixmap(ProgramIcon(32));
    titleLabel = new QLabel(this);
    QFont title = font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.4);
    titleLabel->setFont(title);
    versionLabel = new QLabel(this);
    descriptionLabel = new QLabel(QString::fromLatin1(kDescription), this);
    descriptionLabel->setWordWrap(true);
    creditLabel = new QLabel(QStringLiteral("Free software for monitoring game servers"), this);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    okButton->setAutoDefault(true);
    auto* text = new QVBoxLayout;
    text->addWidget(titleLabel);
    text->addWidget(versionLabel);
    text->addWidget(descriptionLabel);
    text->addWidget(creditLabel);
    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(okButton, 0, Qt::AlignRight);
    setFixedWidth(380);
    // OK is the default button and Escape (the cancel button) rejects the dialog.
    connect(okButton, &QPushButton::clicked, this, &AboutBox::OnOk);
    Load();
}

void AboutBox::Load() {
    setWindowTitle(QStringLiteral("About Morvek"));
    versionLabel->setText(VersionText());
    titleLabel->setText(QStringLiteral("Morvek"));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Morvek Help"));
    browser = new QTextBrowser(this);
    browser->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(560, 600);
}

bool HelpWindow::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(4 * 1024 * 1024);
    const QString text = QString::fromUtf8(bytes);
    if (text.contains(QLatin1String("<html"), Qt::CaseInsensitive))
        browser->setHtml(text);
    else
        browser->setPlainText(text);
    return true;
}

QString FindHelpFile(const QString& folder) {
    return platform::FindNoCase(folder, QString::fromLatin1(kHelpFileName), false);
}

QString MissingHelpText(const QString& path) {
    return "Cannot find the help file " + QDir::toNativeSeparators(path) + ".";
}

}  // namespace morvek
