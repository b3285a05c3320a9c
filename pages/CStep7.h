#pragma once

#include "SettingsPage.h"

// J1939 page: preferred address and NAME fields.
class CStep7 : public SettingsPage {
    Q_OBJECT
public:
    static constexpr int Template = 151;
    static constexpr kit::Required Controls[] = {
        {1127, kit::Kind::Edit}, {1137, kit::Kind::Edit}, {1138, kit::Kind::Edit},
        {1139, kit::Kind::Edit}, {1140, kit::Kind::Edit}, {1141, kit::Kind::Edit},
        {1142, kit::Kind::Edit}, {1143, kit::Kind::Edit}, {1128, kit::Kind::Edit},
        {1145, kit::Kind::Edit}, {1146, kit::Kind::Edit},
    };

    explicit CStep7(PageContext context) : SettingsPage(context) {}
    std::span<const kit::Required> requiredControls() const override { return Controls; }

protected:
    void load() override;
    void store() override;

private:
    // The text the user sees beside an edit field, or fallback when it has none.
    QString caption(int editId, const char* fallback) const;
};
