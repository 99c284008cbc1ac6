#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The whole job without windows: maps a folder as the payroll drive, runs the preparation
// pass and the report, and writes the statements as PDF.
struct ExportOptions {
    QString drive;       // folder that is the payroll drive's root
    QString responsavel; // the responsible person's name
    QString out;         // PDF of every page
    QString perEmployee; // folder for one PDF per statement (optional)
};

// Parses the command line (without the program name); empty with a message on bad usage.
std::optional<ExportOptions> parseExportArguments(const QStringList& arguments, QString& error);

QString exportUsage();

// Runs the job. Returns 0 on success; otherwise writes the error to standard error, as the
// program's message box would show it, and returns 1. Progress goes to standard error when it
// is a terminal.
int runExport(const ExportOptions& options);

// A file name for one statement: company code, employee code and name, in plain letters.
QString statementFileName(const QString& company, const QString& employee, const QString& name);
