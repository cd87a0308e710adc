/* deploy.h - all of file deployment in one include, for whoever needs the
 * whole area (its tests): the target folders, the centring helper, the paths,
 * the replace confirmation and copy dialogs, and the file-list passes. The
 * program's own files include only the headers of what they use. */
#ifndef SETUPORDANE_DEPLOY_H
#define SETUPORDANE_DEPLOY_H

#include "centre_window.h"
#include "copy_dialog.h"
#include "file_passes.h"
#include "paths.h"
#include "replace_dialog.h"
#include "target_folders.h"

#endif /* SETUPORDANE_DEPLOY_H */
