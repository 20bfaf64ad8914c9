// The player panel: five rows of the display-ordered view with a scroll bar over the 64 rows,
// presence and colour boxes, and the column headings that follow the server type.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <string_view>

#include "core/monitor.h"
#include "ui/presentation.h"

class QAction;
class QLabel;
class QLineEdit;
class QScrollBar;
class QFrame;

namespace morvek {

// The 14 colours of the colour numbers 0 to 13.
const std::array<Rgb, 14>& PlayerPalette();

// The colour a colour-number text paints: nothing when the box keeps its colour (the number 32),
// the palette colour for 0 to 13, and an invalid QColor (the neutral button face) for any other
// number.
std::optional<QColor> ColourForNumber(std::string_view text);

// The presence box: red for "" or " ", green for "1", nothing (unchanged) for any other text.
std::optional<QColor> PresenceColour(std::string_view text);

// A text shown in `widget` (a label or a read-only field) that does not fit its width is offered
// whole as the widget's tooltip; a text that fits has none.
void TipWhenCut(QWidget* widget, const QString& text);

// The colours the games draw their alternate letters in: red-brown, and gold for the digits and
// brackets.
inline constexpr Rgb kRedLetters{160, 64, 32};
inline constexpr Rgb kGoldLetters{176, 128, 0};

// A name as players read it, as rich text: every run of red or gold letters in a span of its
// colour (made lighter or darker where it would hardly stand out from `background`), the rest
// escaped plain text. Empty when the name has no coloured letters.
QString NameMarkup(std::string_view bytes, const QColor& background = QColor());

// Shows the readable form of a server text in a read-only field, its red and gold letters drawn
// in their colours (a field holds plain text: the colours are character formats of its layout).
// With `readable` off the bytes show as received, in the field's own colour.
void SetToneField(QLineEdit* field, std::string_view bytes, bool readable);

// What the time and frags columns show for a view row's texts.
std::string TimeText(std::string_view time);
std::string FragsText(std::string_view frags);

// A small filled box. An invalid colour paints the button face.
class ColourBox : public QWidget {
  public:
    explicit ColourBox(QWidget* parent = nullptr);
    void SetColour(const QColor& colour);
    // The colour shown (the button face when none was set).
    QColor Shown() const;
    bool IsButtonFace() const { return !colour_.isValid(); }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QColor colour_;
};

class PlayerPanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRows = 5;
    // The panel is playerPanel: 6015 x 1515 twips.
    explicit PlayerPanel(QWidget* parent = nullptr);

    // Redraws the five rows from the view, starting at the scroll value.
    void ShowPlayers(const Monitor& monitor);
    // Headings 4 and 5.
    void SetHeadings(const std::string& address, const std::string& port);

    QScrollBar* scrollBar = nullptr;
    std::array<QLabel*, 9> headingLabels{};
    std::array<ColourBox*, kRows> presenceBoxes{};
    std::array<QLabel*, kRows> idLabels{};
    std::array<QLabel*, kRows> nameLabels{};
    std::array<ColourBox*, kRows> shirtBoxes{};
    std::array<ColourBox*, kRows> pantsBoxes{};
    std::array<QLabel*, kRows> addressLabels{};
    std::array<QLabel*, kRows> portLabels{};
    std::array<QLabel*, kRows> timeLabels{};
    std::array<QLabel*, kRows> fragsLabels{};
    QFrame* separator = nullptr;
    // "Copy name" in a row's context menu: the name as players read it, to the clipboard.
    QAction* copyNameAction = nullptr;

  signals:
    // The scroll value changed: the owner redraws from its model.
    void Scrolled();

  protected:
    // The wheel anywhere over the rows scrolls them as it does over the scroll bar.
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void OnScroll();

    // The readable names the rows show, for "Copy name".
    std::array<QString, kRows> copy_names_{};
};

}  // namespace morvek
