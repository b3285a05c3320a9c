#include "Step7Rules.h"

namespace model {

namespace {

// Preferred address and NAME fields.
class Rules : public RulesOf<Step7Controls> {
public:
    using RulesOf::RulesOf;

    void load() override {
        for (const Row& row : Rows) loadEdit(row.key);
    }
    // The first refused row ends the store: it and every later row keep their bytes.
    const config::Setting* store() override {
        for (const Row& row : Rows)
            if (!storeEdit(row.key))
                return &setting(row.key);
        return nullptr;
    }
};

}  // namespace

const RulesMaker makeStep7Rules = makeRules<Rules>;

}  // namespace model
