#pragma once

#include "installer/framework/Components.h"

#include <QString>

// The folders and programs a distribution is built from.
struct DistributionSources {
    QString programBuild;      // the programs and their icon
    QString installerPlatform; // the uninstaller, its icon and the shipped engine configuration
    QString engineShared;      // the engine's library and message resource
    QString installer;         // the installer program
    QString presetupFolder;    // where the root's presetup files lie
    QString loader;            // the loader program
};

// Writes the distribution of a configuration into out: the loader under the configured name,
// setup.1 (the installer program and its presetup files) and files.1 (the list of files with
// their versions and dates, then every file of the tree in order). Each is written under a
// temporary name and renamed when complete. Throws std::runtime_error naming what is missing.
void buildDistribution(const TInstall& root, const DistributionSources& sources,
                       const QString& out);
