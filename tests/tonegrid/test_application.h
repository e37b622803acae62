#pragma once

#include <QString>

namespace tonegrid::test {

// The temporary XDG_CONFIG_HOME of the test run, set before the Qt application is made.
QString ConfigHome();

}  // namespace tonegrid::test
