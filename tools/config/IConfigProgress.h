// Where the configuration export and import show how far they are: the
// progress dialog's bar and percentage in the tool, a line on standard
// error in tavemo-cli.
//
// Thread rules: the thread that runs the export or import.
#pragma once

class IConfigProgress
{
public:
    virtual ~IConfigProgress() = default;
    // The bar at percent (0..100) and the text "%i %%".
    virtual void showPercent(int percent) = 0;
    // Something failed: the bar turns red and stays red.
    virtual void markFailed() = 0;
    // The user asked to stop (an import's Cancel): the job ends after the
    // register under way.
    virtual bool cancelled() const { return false; }
};
