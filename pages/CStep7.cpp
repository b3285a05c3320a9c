#include "CStep7.h"

void CStep7::initialise() {
    for (const Row& row : Rows) bindEdit(row.edit, row.key);
}

void CStep7::load() {
    for (const Row& row : Rows) loadEdit(row.key);
}

void CStep7::store() {
    // The first refused row ends the store: it and every later row keep their bytes.
    for (const Row& row : Rows)
        if (!storeEdit(row.key))
            return;
}
