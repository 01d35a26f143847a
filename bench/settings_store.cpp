// Cost of the settings store (read by every render step), of making a product
// (which fills in every start value), and of the uncached INI access that the
// first-run setup and the dialogs go through.

#include "ground/IniFile.h"
#include "catalogue/Catalogue.h"
#include "catalogue/product/Product.h"
#include "properties/settings/SettingStore.h"
#include "properties/settings/SettingTable.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

void BM_StoreGetInt(benchmark::State& state) {
    SettingStore store;
    ApplyStartValues(store);
    std::uint32_t id = 0;
    const auto order = GetStartValueOrder();
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.GetInt(ModelKey(order[id % order.size()])));
        ++id;
    }
}
BENCHMARK(BM_StoreGetInt);

void BM_StoreSetIntChanged(benchmark::State& state) {
    SettingStore store;
    ApplyStartValues(store);
    std::int32_t v = 0;
    for (auto _ : state) benchmark::DoNotOptimize(store.SetInt(ModelKey(kSetXRotation), ++v & 63));
}
BENCHMARK(BM_StoreSetIntChanged);

void BM_CreateProduct(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CreateProduct("BINDERCD"));
}
BENCHMARK(BM_CreateProduct);

std::string TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vt_bench_ini_XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    return tmpl;
}

// One uncached read of a catalogue-sized settings file.
void BM_IniGetStringFromCatalogue(benchmark::State& state) {
    const std::string dir = TempDir();
    CIniFile ini(dir + "/vtwin.ini");
    WriteCatalogue(ini);
    for (auto _ : state) benchmark::DoNotOptimize(ini.GetString("dmo_bic_032.bmp", "MODEL"));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_IniGetStringFromCatalogue);

void BM_IniWriteCatalogueOnce(benchmark::State& state) {
    const std::string dir = TempDir();
    CIniFile ini(dir + "/vtwin.ini");
    for (auto _ : state) benchmark::DoNotOptimize(WriteCatalogue(ini));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_IniWriteCatalogueOnce);

void BM_IniWriteCatalogueEntryByEntry(benchmark::State& state) {
    const std::string dir = TempDir();
    CIniFile ini(dir + "/vtwin.ini");
    for (auto _ : state)
        for (const CatalogueEntry& e : GetCatalogue()) benchmark::DoNotOptimize(WriteModelEntry(ini, MakeModelEntry(e)));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_IniWriteCatalogueEntryByEntry);

}  // namespace
