import QtQuick
import Velto.Views

// The agents Velto works with: a switch per harness kind, usable once the harness is installed.
SetupStepLayout {
    id: step
    required property var flow
    required property var clock

    title: "Watch pull requests live"
    message: "Choose the agents Velto works with. Each learns to have a change reviewed before a pull request, and to take a pull request to a clean review. Velto keeps both skills up to date. Once live monitoring is on for your organization, it also streams each review, check and comment straight to them."

    Column {
        width: parent ? parent.width : 330
        spacing: 8

        Repeater {
            model: step.flow.agentRows.length
            AgentIntegrationRow {
                required property int index
                width: parent ? parent.width : 0
                row: step.flow.agentRows[index]
                onToggled: (isOn) => step.flow.setAgent(row.kind, isOn)
            }
        }
    }

    illustration: PushFeedIllustration {
        anchors.fill: parent
        clock: step.clock
    }
}
