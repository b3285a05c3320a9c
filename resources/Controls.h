#pragma once
// Controls of a template are found by their number: objectName "id" + number (id1034).

#include <QString>
#include <QWidget>

inline QString controlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

template <class T = QWidget>
T* findControl(const QWidget* root, int id) {
    return root ? root->findChild<T*>(controlName(id)) : nullptr;
}
