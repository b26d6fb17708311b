// The application object: fixes the working directory and runs the main window modally for
// the whole life of the process.
#pragma once

#include "framework/application.h"

class CDravenlokApp : public fw::Application {
  protected:
    bool InitInstance() override;
};
