// The bootstrapper's application: runs the question dialog once and ends.
#pragma once

#include "platform/framework/framework.h"

class CVelmarSetupApp : public CWinApp {
public:
    CVelmarSetupApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CVelmarSetupApp theApp;
