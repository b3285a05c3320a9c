#include "CStep7.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "CalibrationImage.h"
#include "NumberText.h"
#include "Prompter.h"

namespace {

// One row per field, in the order the store checks them. Each single-byte field holds its
// plain value in the whole byte; the two longer ones are big-endian.
struct Row {
    int edit;
    int pos;
    int width;
    std::int32_t maximum;
    const char* name;
    const char* message;
};
constexpr Row Rows[] = {
    {1127, Field::J1939Address, 1, 253, "Preferred Address",
     "Preferred Address must between 0 and 127 or 248 and 253 "},
    {1137, Field::J1939ArbitraryAddress, 1, 1, "Arbitrary Address Capable",
     "Arbitrary Address Capable must between 0 and 1 "},
    {1138, Field::J1939IndustryGroup, 1, 7, "Industry Group",
     "Industry Group must between 0 and 7 "},
    {1139, Field::J1939VehicleSystemInstance, 1, 15, "Vehicle System Instance",
     "Vehicle System Instance must between 0 and 15 "},
    {1140, Field::J1939VehicleSystem, 1, 127, "Vehicle System",
     "Vehicle System must between 0 and 127 "},
    {1141, Field::J1939Reserved, 1, 1, "Reserved Fields", "Reserved Fields must between 0 and 1 "},
    {1142, Field::J1939Function, 1, 255, "Function Fields",
     "Function Fields must between 0 and 255 "},
    {1143, Field::J1939FunctionInstance, 1, 31, "Function Instance",
     "Function Instance must between 0 and 31 "},
    {1128, Field::J1939EcuInstance, 1, 7, "ECU Instance", "ECU Instance must between 0 and 7 "},
    {1145, Field::J1939Manufacturer, 2, 2047, "Manufacturer Code",
     "Manufacturer Code must between 0 and 2047 "},
    {1146, Field::J1939Identity, 3, 2097151, "Identity Number",
     "Identity Number must between 0 and 2097151 "},
};

// The preferred address leaves out 128 to 247 (and 254, 255): 254 is the null address of
// address claiming and 255 the global one.
bool accepts(const Row& row, std::int32_t number) {
    if (number < 0 || number > row.maximum)
        return false;
    return row.edit != 1127 || number <= 127 || number >= 248;
}

}  // namespace

QString CStep7::caption(int editId, const char* fallback) const {
    // The template pairs each edit field with a caption in column 0 of its grid row.
    QWidget* field = edit(editId);
    const auto* grid = field->parentWidget()
                           ? qobject_cast<QGridLayout*>(field->parentWidget()->layout())
                           : nullptr;
    const int index = grid ? grid->indexOf(field) : -1;
    if (index >= 0) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        const QLayoutItem* item = grid->itemAtPosition(row, 0);
        if (const auto* label = item ? qobject_cast<const QLabel*>(item->widget()) : nullptr)
            if (!label->text().isEmpty())
                return label->text();
    }
    return QString::fromLatin1(fallback);
}

void CStep7::load() {
    // Shown as stored, in range or not; the store's checks catch what does not fit.
    for (const Row& row : Rows) setText(row.edit, QString::number(image.field(row.pos, row.width)));
}

void CStep7::store() {
    // The first refused row ends the store: it and every later row keep their bytes.
    for (const Row& row : Rows) {
        const std::int32_t number = kit::textToNumber(edit(row.edit)->text());
        if (!accepts(row, number)) {
            prompter.tell(QString::fromLatin1(row.message));
            edit(row.edit)->setFocus();
            emit refused(caption(row.edit, row.name));
            return;
        }
        image.setField(row.pos, row.width, static_cast<std::uint32_t>(number));
    }
}
