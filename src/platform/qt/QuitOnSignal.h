// Ends the event loop promptly on SIGTERM, SIGINT and SIGHUP.
#pragma once

class QObject;

// Call once, after the application object exists.
void QuitOnSignals(QObject* parent);
