// The shared plug-in is kxpurestor linked whole; its version script keeps
// only the kxso_* entry points visible.
