#pragma once

// The image engine's matrix operations in one include: conversions, turns and
// deskew, region operations, tone and colour, page geometry.
#include "ImageConvert.h"
#include "PageGeometry.h"
#include "RegionOps.h"
#include "Rotation.h"
#include "ToneOps.h"
