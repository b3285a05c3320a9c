// The heavy headers most files include, compiled once per target instead of once per file:
// parsing Qt's and GoogleTest's headers takes most of each file's compile time.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#ifdef QT_WIDGETS_LIB
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QWidget>
#endif

#ifdef GTEST_HAS_PTHREAD
#include <gtest/gtest.h>
#endif
