#pragma once

class CVexlaControllerApp;

// The one application object of the test process.
CVexlaControllerApp& theApp();
