// Builders of the individual viewers (internal to the library).
#pragma once

#include <string>
#include <vector>

#include "text.h"
#include "tuple_data.h"
#include "viewer_text.h"

namespace cis {

// Caption and dialog of a viewer for `record`.
ViewerText viewerFrame(const CisTupleRecord& record, Layout layout, uint16_t dialogId);
TextBlock labelBlock(uint16_t labelId, uint16_t valueId, uint16_t labelText);

ViewerText buildDeviceViewer(const CisTupleRecord& record, bool otherConditions);
ViewerText buildMfcViewer(const CisTupleRecord& record);
ViewerText buildJedecViewer(const CisTupleRecord& record);
ViewerText buildDeviceGeometryViewer(const CisTupleRecord& record);
ViewerText buildChecksumViewer(const CisTupleRecord& record);
ViewerText buildLongLinkViewer(const CisTupleRecord& record);
ViewerText buildLinkTargetViewer(const CisTupleRecord& record);
ViewerText buildLevel1Viewer(const CisTupleRecord& record);
ViewerText buildAltStringViewer(const CisTupleRecord& record);
ViewerText buildManufacturerViewer(const CisTupleRecord& record);
ViewerText buildFunctionIdViewer(const CisTupleRecord& record);
ViewerText buildLevel2Viewer(const CisTupleRecord& record);
ViewerText buildFormatViewer(const CisTupleRecord& record);
ViewerText buildGeometryViewer(const CisTupleRecord& record);
ViewerText buildByteOrderViewer(const CisTupleRecord& record);
ViewerText buildDateViewer(const CisTupleRecord& record);
ViewerText buildBatteryViewer(const CisTupleRecord& record);
ViewerText buildOrganisationViewer(const CisTupleRecord& record);
ViewerText buildConfigViewer(const CisTupleRecord& record);
ViewerText buildConfigEntryViewer(const CisTupleRecord& record);

// Numbered label from a "%2u" format of the table.
std::string numberedLabel(uint16_t formatId, unsigned number);

}  // namespace cis
