#include "geometry/datasets.h"

void Set_Dataset_Constants(RunState& run) {
    if (run.Global() && run.Etopo2) {
        run.Resolution_I = run.Resolution_J = 30;
        return;
    }
    run.Raw = !run.Raw;
    if (run.Global() && (run.Gina || run.Srtm30)) run.Resolution_I = run.Resolution_J = 120;
}

void Set_Data_Start(RunState& run) {
    switch (run.Input()) {
    case RunState::InputKind::VTK:
    case RunState::InputKind::ESRI:
    case RunState::InputKind::KMS2002:
        run.Offset = ftello(run.InpFile);
        return;
    case RunState::InputKind::GRD98:
        run.Offset = 128;
        return;
    case RunState::InputKind::Global:
        break;
    }
    if (run.Srtm30) {
        // The data are measured from the end of the file, whatever precedes them.
        Offset_t data = run.FloatInp ? 2 * Srtm30_Data_Bytes : Srtm30_Data_Bytes;
        fseeko(run.InpFile, 0, SEEK_END);
        run.Offset = ftello(run.InpFile) - data;
        rewind(run.InpFile);
    } else if (run.Blend || run.Etopo2) {
        run.Offset = 0;
    } else if (run.Gina) {
        run.Offset = run.FloatInp ? 1364 : 260540;
    } else {
        run.Offset = 612;  // GEBCO
    }
}

int Stored_Row_Cells(const RunState& run) {
    return run.Global() && run.Gebco ? run.Columns + 1 : run.Columns;
}
