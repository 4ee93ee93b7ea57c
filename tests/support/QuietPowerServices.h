#pragma once

// Display power, session power and sleep inhibit services that only keep a flag, installed by the test
// main before any test runs: no test can blank this machine's screen or suspend it,
// even one that forgets to install a recorder of its own. Tests that install their
// own recorder put these back with InstallQuietPowerServices() when done.
void InstallQuietPowerServices();
