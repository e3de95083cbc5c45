#pragma once
// Opening an item's service: one direct process start, no shell association
// and no document opening, so what runs is exactly the command line built.
#include <string>

#include "core/launch/launch_command.h"
#include "core/vault/login_item.h"

class Settings;

// Starts the command line as a new process (high priority, this process's
// environment and folder) and does not wait for it. False when nothing was
// started: an empty line, a missing program, any other failure.
bool StartCommandLine(const std::string& commandLine);

// Builds the item's command line and starts it.
bool LaunchItem(const LoginItem& item, const LaunchClients& clients);

// The same, with the client programs the settings name.
bool LaunchItem(const LoginItem& item, const Settings& settings);
