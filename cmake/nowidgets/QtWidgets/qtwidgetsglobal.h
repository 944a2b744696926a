// Found first by the engine libraries: every header of Qt Widgets (and of the modules
// built on it) includes this one, so a widget include there stops the build.
#error "The engine links no Qt Widgets: this library must not include a widget header"
