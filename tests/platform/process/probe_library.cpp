// A library for the loading tests: one exported function with a known result.
extern "C" __attribute__((visibility("default"))) int velmar_probe_value() {
    return 4711;
}
