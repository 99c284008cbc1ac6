// The engine's file version, where an installer finds it: a marked text anywhere in the file
// ("@(#)FileVersion " and dotted numbers), as a shared library here carries no version record.
extern "C" {
[[gnu::used]] const char radazizEngineFileVersion[] = "@(#)FileVersion " RADAZIZ_ENGINE_VERSION;
}
