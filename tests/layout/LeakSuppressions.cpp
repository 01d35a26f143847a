// fontconfig keeps a few blocks of its configuration for the life of the
// process without a pointer LeakSanitizer can see, and so do the type system
// and caches of the libraries that draw vector artwork; they are not ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libglib-2.0.so\n"
           "leak:libgobject-2.0.so\n"
           "leak:libgio-2.0.so\n"
           "leak:libcairo.so\n"
           "leak:librsvg-2.so\n"
           "leak:libpoppler\n"
           "leak:libpango\n";
}
