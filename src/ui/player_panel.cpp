#include "ui/player_panel.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QWheelEvent>
#include <cmath>
#include <vector>

#include "core/numbers.h"
#include "core/quake_text.h"
#include "core/text.h"
#include "ui/twips.h"

namespace morvek {

const std::array<Rgb, 14>& PlayerPalette() {
    static const std::array<Rgb, 14> palette{{{192, 192, 192},
                                              {128, 64, 0},
                                              {128, 0, 128},
                                              {0, 128, 0},
                                              {255, 0, 0},
                                              {255, 192, 128},
                                              {255, 128, 128},
                                              {192, 64, 0},
                                              {255, 0, 255},
                                              {128, 0, 128},
                                              {255, 224, 192},
                                              {0, 128, 128},
                                              {255, 255, 0},
                                              {0, 0, 255}}};
    return palette;
}

std::optional<QColor> ColourForNumber(std::string_view text) {
    const double value = LeadingNumber(text);
    if (value == 32) return std::nullopt;
    const double number = RoundHalfEven(value);
    // Numbers without a palette entry (14 and 15 from NetQuake servers, anything else) show
    // the neutral button face rather than reading past the palette.
    if (!(number >= 0 && number <= 13)) return QColor();
    const Rgb& c = PlayerPalette()[std::size_t(number)];
    return QColor(c.r, c.g, c.b);
}

std::optional<QColor> PresenceColour(std::string_view text) {
    if (IsEmptyMark(text)) return QColor(255, 0, 0);
    if (text == "1") return QColor(0, 255, 0);
    return std::nullopt;
}

namespace {

// One run of letters drawn in one tone: `length` characters from `start` of the readable text.
struct PlacedRun {
    GlyphTone tone;
    int start, length;
    QString text;
};

std::vector<PlacedRun> PlacedRuns(std::string_view bytes) {
    std::vector<PlacedRun> runs;
    int at = 0;
    for (const ToneRun& run : ToneRuns(bytes)) {
        runs.push_back({run.tone, at, int(run.text.size()), FromCp1252(run.text)});
        at += int(run.text.size());
    }
    return runs;
}

// Relative luminance (sRGB): 0 for black, 1 for white.
double Luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The games' colour of the letters; on a background it hardly stands out from (the red-brown
// on a dark desktop), mixed toward white or black in tenths until it stands out 3:1.
QColor ToneColour(GlyphTone tone, const QColor& background) {
    const Rgb& c = tone == GlyphTone::kRed ? kRedLetters : kGoldLetters;
    const QColor game(c.r, c.g, c.b);
    if (!background.isValid()) return game;
    const QColor toward = Contrast(Qt::white, background) > Contrast(Qt::black, background)
                              ? QColor(Qt::white)
                              : QColor(Qt::black);
    QColor shown = game;
    for (int tenth = 1; tenth <= 10 && Contrast(shown, background) < 3.0; ++tenth) {
        const auto mix = [&](int from, int to) { return from + (to - from) * tenth / 10; };
        shown = QColor(mix(game.red(), toward.red()), mix(game.green(), toward.green()),
                       mix(game.blue(), toward.blue()));
    }
    return shown;
}

}  // namespace

QString NameMarkup(std::string_view bytes, const QColor& background) {
    QString out;
    bool coloured = false;
    for (const PlacedRun& run : PlacedRuns(bytes)) {
        const QString escaped = run.text.toHtmlEscaped();
        if (run.tone == GlyphTone::kPlain) {
            out += escaped;
        } else {
            out += QStringLiteral("<span style=\"color:%1\">%2</span>")
                       .arg(ToneColour(run.tone, background).name(), escaped);
            coloured = true;
        }
    }
    // A blank run in rich text would collapse: keep every blank.
    if (!coloured) return {};
    return QStringLiteral("<span style=\"white-space:pre\">") + out + QStringLiteral("</span>");
}

void SetToneField(QLineEdit* field, std::string_view bytes, bool readable) {
    const QString text = FromCp1252(ShownText(bytes, readable));
    if (field->text() == text && field->property("toneBytes").toByteArray() ==
                                     QByteArray(bytes.data(), qsizetype(bytes.size())))
        return;
    field->setText(text);
    field->setCursorPosition(0);
    field->setProperty("toneBytes", QByteArray(bytes.data(), qsizetype(bytes.size())));
    TipWhenCut(field, text);
    // A field takes character formats only as input method attributes, measured from its cursor
    // (now at 0), and only while it is editable; an empty list clears the colours.
    QList<QInputMethodEvent::Attribute> formats;
    if (readable) {
        for (const PlacedRun& run : PlacedRuns(bytes)) {
            if (run.tone == GlyphTone::kPlain) continue;
            QTextCharFormat format;
            format.setForeground(ToneColour(run.tone, field->palette().color(QPalette::Base)));
            formats.append({QInputMethodEvent::TextFormat, run.start, run.length, format});
        }
    }
    QInputMethodEvent event(QString(), formats);
    const bool read_only = field->isReadOnly();
    field->setReadOnly(false);
    QCoreApplication::sendEvent(field, &event);
    field->setReadOnly(read_only);
}

std::string TimeText(std::string_view time) {
    if (time.empty()) return {};
    return DecimalText(LeadingNumber(time));
}

std::string FragsText(std::string_view frags) {
    const double value = FragsValue(frags);
    if (value != LeadingNumber(frags)) return DecimalText(value);
    return std::string(frags);
}

ColourBox::ColourBox(QWidget* parent) : QWidget(parent) {}

void ColourBox::SetColour(const QColor& colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
}

QColor ColourBox::Shown() const {
    return colour_.isValid() ? colour_ : palette().color(QPalette::Button);
}

void ColourBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Shown());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace {

struct Column {
    int heading;
    double left, width;
};
// Heading index, left and width of each row column, in the order the row is built.
constexpr Column kStatusCol{0, 60, 195};
constexpr Column kIdCol{8, 300, 255};
constexpr Column kNameCol{1, 600, 1635};
constexpr Column kShirtCol{2, 2280, 195};
constexpr Column kPantsCol{3, 2520, 195};
constexpr Column kAddressCol{4, 2760, 1275};
constexpr Column kPortCol{5, 4080, 675};
constexpr Column kTimeCol{6, 4740, 495};
constexpr Column kFragsCol{7, 5280, 495};

constexpr double kRowHeight = 195;
double RowTop(int r) {
    return 300 + 240.0 * r;
}

QLabel* RowLabel(QWidget* parent, const Column& col, int r) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PlaceTwips(label, col.left, RowTop(r), col.width, kRowHeight);
    return label;
}

ColourBox* RowBox(QWidget* parent, const Column& col, int r) {
    auto* box = new ColourBox(parent);
    PlaceTwips(box, col.left, RowTop(r), col.width, kRowHeight);
    return box;
}

void SetLabel(QLabel* label, std::string_view bytes) {
    const QString text = FromCp1252(bytes);
    if (label->text() == text) return;
    label->setText(text);
    TipWhenCut(label, text);
}

// The name column: rich text when readable letters carry a colour, plain text otherwise.
void SetName(QLabel* label, std::string_view bytes, const Options& options) {
    if (options.show_spectators && IsSpectatorName(bytes))
        bytes.remove_prefix(kSpectatorMark.size());
    const bool readable = options.readable_names;
    const QString markup =
        readable ? NameMarkup(bytes, label->palette().color(QPalette::Window)) : QString();
    const Qt::TextFormat format = markup.isEmpty() ? Qt::PlainText : Qt::RichText;
    if (label->textFormat() != format) {
        label->clear();
        label->setTextFormat(format);
    }
    if (format == Qt::RichText) {
        if (label->text() == markup) return;
        label->setText(markup);
        TipWhenCut(label, FromCp1252(ShownText(bytes, readable)));
        return;
    }
    SetLabel(label, ShownText(bytes, readable));
}

}  // namespace

void TipWhenCut(QWidget* widget, const QString& text) {
    // A field loses its frame and inner margins (2 pixels each side) to the text.
    const int room =
        qobject_cast<QLabel*>(widget) ? widget->contentsRect().width() : widget->width() - 8;
    const bool cut = widget->fontMetrics().horizontalAdvance(text) > room;
    const QString tip = cut ? text : QString();
    if (widget->toolTip() != tip) widget->setToolTip(tip);
}

PlayerPanel::PlayerPanel(QWidget* parent) : QWidget(parent) {
    const std::array<const char*, 9> headings{"S",    "Name", "Sh",    "P", "Net Address",
                                              "Port", "Time", "Frags", "#"};
    const std::array<Column, 9> columns{kStatusCol,  kIdCol,   kNameCol, kShirtCol, kPantsCol,
                                        kAddressCol, kPortCol, kTimeCol, kFragsCol};
    for (const Column& col : columns) {
        auto* heading = new QLabel(QString::fromLatin1(headings[std::size_t(col.heading)]), this);
        // Headings over the narrow boxes need more room than the boxes themselves.
        const double width = col.width < 400 ? 240 : col.width;
        PlaceTwips(heading, col.left, 0, width, 225);
        headingLabels[std::size_t(col.heading)] = heading;
    }
    separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Plain);
    separator->setLineWidth(2);
    PlaceTwips(separator, 0, 225, 6000, 30);

    for (int r = 0; r < kRows; ++r) {
        const auto i = std::size_t(r);
        presenceBoxes[i] = RowBox(this, kStatusCol, r);
        presenceBoxes[i]->SetColour(QColor(255, 0, 0));
        idLabels[i] = RowLabel(this, kIdCol, r);
        nameLabels[i] = RowLabel(this, kNameCol, r);
        shirtBoxes[i] = RowBox(this, kShirtCol, r);
        pantsBoxes[i] = RowBox(this, kPantsCol, r);
        addressLabels[i] = RowLabel(this, kAddressCol, r);
        portLabels[i] = RowLabel(this, kPortCol, r);
        timeLabels[i] = RowLabel(this, kTimeCol, r);
        fragsLabels[i] = RowLabel(this, kFragsCol, r);
    }

    scrollBar = new QScrollBar(Qt::Vertical, this);
    scrollBar->setRange(0, kPlayerSlots - kRows);
    scrollBar->setSingleStep(1);
    scrollBar->setPageStep(kRows);
    PlaceTwips(scrollBar, 5760, 255, 255, 1260);
    connect(scrollBar, &QScrollBar::valueChanged, this, &PlayerPanel::OnScroll);

    copyNameAction = new QAction(QStringLiteral("Copy name"), this);
    copyNameAction->setObjectName(QStringLiteral("copyNameAction"));
}

void PlayerPanel::wheelEvent(QWheelEvent* event) {
    QCoreApplication::sendEvent(scrollBar, event);
}

void PlayerPanel::contextMenuEvent(QContextMenuEvent* event) {
    int row = -1;
    for (int r = 0; r < kRows; ++r) {
        const QRect line = nameLabels[std::size_t(r)]->geometry();
        if (event->pos().y() >= line.top() - 2 && event->pos().y() <= line.bottom() + 2) row = r;
    }
    if (row < 0 || copy_names_[std::size_t(row)].isEmpty()) return;
    const QString name = copy_names_[std::size_t(row)];
    QMenu menu(this);
    menu.addAction(copyNameAction);
    if (menu.exec(event->globalPos()) == copyNameAction)
        QGuiApplication::clipboard()->setText(name);
}

void PlayerPanel::OnScroll() {
    emit Scrolled();
}

void PlayerPanel::SetHeadings(const std::string& address, const std::string& port) {
    headingLabels[4]->setText(QString::fromStdString(address));
    headingLabels[5]->setText(QString::fromStdString(port));
}

void PlayerPanel::ShowPlayers(const Monitor& monitor) {
    for (int r = 0; r < kRows; ++r) {
        const auto i = std::size_t(r);
        // The scroll range ends at 59, so d stays within the 64 view rows.
        const int d = std::clamp(r + scrollBar->value(), 0, kPlayerSlots - 1);
        const PlayerRecord& row = monitor.view.rows[std::size_t(d)];
        SetLabel(idLabels[i], row[kId]);
        if (auto colour = PresenceColour(row[kPresent])) presenceBoxes[i]->SetColour(*colour);
        SetName(nameLabels[i], row[kName], monitor.options);
        Options readable = monitor.options;
        readable.readable_names = true;
        copy_names_[i] = FromCp1252(ShownName(readable, row[kName])).trimmed();
        // A spectator shown apart has no colours and no frags: "S".
        const bool spectator = IsSpectator(monitor.options, row);
        if (spectator) {
            shirtBoxes[i]->SetColour(QColor());
            pantsBoxes[i]->SetColour(QColor());
        } else {
            if (auto colour = ColourForNumber(row[kShirt])) shirtBoxes[i]->SetColour(*colour);
            if (auto colour = ColourForNumber(row[kPants])) pantsBoxes[i]->SetColour(*colour);
        }
        SetLabel(addressLabels[i], row[kAddress]);
        SetLabel(portLabels[i], row[kPort]);
        SetLabel(timeLabels[i], TimeText(row[kTime]));
        SetLabel(fragsLabels[i], spectator ? std::string("S") : FragsText(row[kFrags]));
    }
}

}  // namespace morvek
