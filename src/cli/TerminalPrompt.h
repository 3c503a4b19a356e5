#pragma once

#include <QString>

#include <stop_token>

namespace orvanta {

// Reads a line from the terminal with echo off; empty when there is no terminal or a stop
// came first. The terminal's settings are restored either way.
QString readPasswordFromTerminal(const QString &prompt, std::stop_token stop);

} // namespace orvanta
