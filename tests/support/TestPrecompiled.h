// The library headers nearly every test program includes, compiled once for all of them. Only
// headers from outside the project: a change to the project's own headers must not rebuild this.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
