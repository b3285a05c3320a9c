#pragma once
// The controls of a page as the page's rules see them: sliders, lists, option buttons, edit
// fields and labels found by their number. Two forms stand behind this: the real widgets of a
// shown page, and a form read from the page's template without any widget, for the workshop
// commands. Both keep the behaviour the rules rely on, written down here once:
//   - a slider's range is set before its position, and a position outside the range is
//     brought into it (a range whose top is below its bottom is the bottom alone);
//   - selecting a list item outside the list leaves no selection (-1); refilling a list
//     selects its first item;
//   - checking one button of a pair unchecks the other; unchecking the checked button of a
//     pair does nothing (only clearPair leaves both unchecked);
//   - a control is offered when neither it nor a control around it is hidden or disabled.

#include <functional>
#include <span>

#include <QString>
#include <QStringList>

namespace model {

// What a page expects of a control it addresses.
enum class Kind { Label, Slider, List, Option, Edit, Button, Group, Widget };

struct Required {
    int id;
    Kind kind;
};

// The template's class for a kind ("QSlider"), and how messages name it ("a slider").
const char* className(Kind kind);
const char* description(Kind kind);
// "control 1034 (a slider)": how a missing control is named.
QString missingText(const Required& required);

class Form {
public:
    virtual ~Form() = default;

    virtual void setRange(int slider, int low, int high) = 0;
    virtual void setPosition(int slider, int position) = 0;
    virtual int position(int slider) const = 0;

    virtual int count(int list) const = 0;
    virtual void select(int list, int index) = 0;  // outside the list: no selection
    virtual int selected(int list) const = 0;      // -1: none
    virtual void refill(int list, const QStringList& items) = 0;

    virtual void setChecked(int option, bool checked) = 0;
    virtual bool checked(int option) const = 0;
    virtual void clearPair(int on, int off) = 0;

    virtual void setText(int id, const QString& text) = 0;
    virtual QString text(int id) const = 0;

    virtual void show(int id, bool shown) = 0;
    virtual void enable(int id, bool enabled) = 0;
    virtual bool offered(int id) const = 0;
};

// Checks one button of a pair and unchecks the other.
void setPair(Form& form, int on, int off, bool enabled);
// Selects item nibble when the list has it, otherwise item fallback.
void selectNibble(Form& form, int list, int nibble, int fallback);
void showControls(Form& form, std::initializer_list<int> ids, bool shown);
void enableControls(Form& form, std::initializer_list<int> ids, bool enabled);

// Formats of a slider's value label; some follow the form (a list's selection).
using Format = std::function<QString(int)>;
QString plain(int value);    // "%d"
QString percent(int value);  // "%d%%"
QString volts(int value);    // "%dV"
QString celsius(int value);  // "%dC"
// The signal voltage of a 1-4 V sensor at a percentage: "%.1fV" of 1.0 + 0.03 x value.
QString sensorVolts(int value);
// "禁止" (off) at 0, otherwise the given format.
Format offAtZero(Format format);

}  // namespace model
