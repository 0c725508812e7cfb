import QtQuick
import Velto.Views

// The agents Velto works with: a switch per harness kind, usable once the harness is installed.
SetupStepLayout {
    id: step
    required property var presenter
    required property var clock

    title: userTexts.monitoringTitle
    message: userTexts.monitoringMessage

    Column {
        width: parent ? parent.width : 330
        spacing: 8

        Repeater {
            model: step.presenter.agentRows.length
            AgentIntegrationRow {
                required property int index
                width: parent ? parent.width : 0
                row: step.presenter.agentRows[index]
                onToggled: (isOn) => step.presenter.setAgent(row.kind, isOn)
            }
        }
    }

    illustration: PushFeedIllustration {
        anchors.fill: parent
        clock: step.clock
    }
}
