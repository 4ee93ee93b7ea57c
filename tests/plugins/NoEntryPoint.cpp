// A library that loads but is not a plug-in: it exports no orvaneGetInModule2.
extern "C" __attribute__((visibility("default"))) int notAPlugin(void) { return 42; }
