#include "BatchJob.h"

#include "ProcessParams.h"
#include "SettingsStore.h"

BatchJob BatchJob::fromProcess(const QStringList& files, const QList<int>& actions)
{
    const ProcessParams& params = ProcessParams::current();
    BatchJob job;
    job.files = files;
    job.actions = actions;
    job.dpiX = params.dpiX;
    job.dpiY = params.dpiY;
    job.pageSize = params.pageSize;
    job.margins = params.margins;
    job.colour = params.colour;
    job.backgroundColour = params.backgroundColour;
    job.backgroundColourText =
        SettingsStore::settingValue(SettingsStore::kBackgroundColour).toString();
    job.pageNo = params.pageNo;
    return job;
}
