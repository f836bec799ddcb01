#pragma once
// The windows of the evaluation: compound metrics, the limits dialog and the
// report forms, created at start and shown on demand.
#include "CompoundMetrics.h"
#include "Forms.h"
#include "GetLimits.h"
#include "PF_HardCopy.h"
#include "PF_MindraChangeRank.h"
#include "PF_MindraChangeStat.h"
#include "PF_MindraDefectRank.h"
#include "PF_MindraDefectStat.h"
#include "PF_MindraProjectStat.h"
#include "PF_XMLTable.h"
#include "QRReportForm.h"
