#pragma once
// Small helpers that every setting page shares: value-label formats, list selection by
// index, Enable/Disable option pairs, and the tables of controls a page addresses.

#include <functional>
#include <span>

#include <QString>
#include <QStringList>

#include "Form.h"

class QAbstractButton;
class QComboBox;
class QWidget;
class ResourceModule;

namespace kit {

// Formats of a slider's value label: the rules' own.
using model::celsius;
using model::Format;
using model::offAtZero;
using model::percent;
using model::plain;
using model::sensorVolts;
using model::volts;

// Lists are bound by item index; an index outside the list leaves no selection.
void select(QComboBox* list, int index);
// Selected index, -1 for none.
int selected(const QComboBox* list);
// Empties the list and adds the items, so that items never accumulate over visits.
void refill(QComboBox* list, const QStringList& items);
// Selects item <nibble> when the list has it, otherwise item <fallback>.
void selectNibble(QComboBox* list, int nibble, int fallback);

// An Enable/Disable pair: checks one button and unchecks the other.
void setPair(QAbstractButton* enable, QAbstractButton* disable, bool enabled);
// Leaves neither button of a pair checked.
void clearPair(QAbstractButton* enable, QAbstractButton* disable);

// What a page expects of a control it addresses.
using model::Kind;
using model::Required;

// The first control of the table that form lacks or that is of another kind, as
// "control 1034 (a slider)"; empty when every control is there.
QString missingControl(const QWidget* form, std::span<const Required> controls);
// "The language module ... cannot be used: template 146 has no control 1034 (a slider)."
QString lackingControl(const ResourceModule& module, int templateId, const QString& missing);
// Builds template <templateId> of the module and checks it against the table. Empty when
// it fits; otherwise a message that names the module file, the template and the control.
QString checkTemplate(const ResourceModule& module, int templateId,
                      std::span<const Required> controls);

}  // namespace kit
