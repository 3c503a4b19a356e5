// The Qt and standard headers most of the window's sources include, compiled once for them.
// Only headers from outside the project, so a change of ours never rebuilds it.
#pragma once

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QString>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>
