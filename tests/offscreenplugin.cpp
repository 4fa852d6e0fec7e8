// A static Qt has its plugins linked in; the tests run on the offscreen platform.
#include <QtPlugin>

Q_IMPORT_PLUGIN(QOffscreenIntegrationPlugin)
