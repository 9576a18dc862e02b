#include "core/input_names.h"

const Input_Names Input_Name_Table[] = {
    {"Gebco_SandS_blend One minute", "Gebco_SandS_blend One minute"},
    {"GINA Half minute", "GINA Half minute"},
    {"SRTM30+ Half minute", "SRTM30+ Half minute"},
    {"ETOPO2 Two minute", "Etopo2 Two minute"},
    {"GEBCO One minute", "GEBCO One minute"},
    {"VTK format", "VTK format"},
    {"ESRI Ascii/Float", "ESRI Ascii/Float"},
    {"KMS2002 Ascii", "KMS2002 Ascii"},
    {"GRD98", "GRD98 format"},
};

Input_Name Named_Input(const RunState& run) {
    if (run.Blend) return Input_Name::Blend;
    if (run.Gina) return Input_Name::Gina;
    if (run.Srtm30) return Input_Name::Srtm30;
    if (run.Etopo2) return Input_Name::Etopo2;
    if (run.Gebco) return Input_Name::Gebco;
    if (run.VTKin) return Input_Name::VTK;
    if (run.ESRIin) return Input_Name::ESRI;
    if (run.KMS2002) return Input_Name::KMS2002;
    return Input_Name::GRD98;
}
