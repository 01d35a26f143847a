// fontconfig keeps a few blocks of its configuration for the life of the
// process without a pointer LeakSanitizer can see; they are not ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}
