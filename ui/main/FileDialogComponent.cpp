#include "FileDialogComponent.h"

#include "ui/common/Interaction.h"

std::optional<QString> FileDialogComponent::ShowOpen() const {
    return Show(false);
}

std::optional<QString> FileDialogComponent::ShowSave() const {
    return Show(true);
}

std::optional<QString> FileDialogComponent::Show(bool save) const {
    Interaction::FileRequest request;
    request.mode = save ? Interaction::FileMode::Save : Interaction::FileMode::Open;
    request.initialName = FileName;
    request.filter = Filter;
    request.defaultSuffix = DefaultExt;
    return Interaction::Current().ChooseFile(owner_, request);
}
