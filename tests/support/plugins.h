// The plugins as this build made them, loaded the way a host loads them.
#pragma once
#include <string>

#include "plugin.h"

namespace oxtest {

// Full path of a built plugin ("Vorkel" or "Nalmet") in this build's output folder.
std::string BuiltPluginPath(const std::string& name);

// Loads a built plugin once per test program; fails the test when it cannot.
const oxhost::Plugin& BuiltPlugin(const std::string& name);

// The real sample images, or "" when they are not at hand.
std::string SamplesDir();

}  // namespace oxtest
