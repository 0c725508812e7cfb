import QtQuick

// The current step's view. A step change slides the new step in from the side the flow moves
// towards and the old one out the other way; the flow sets the direction a turn before the step.
Item {
    id: switcher
    required property var flow
    required property var clock
    property Item current: null

    function presenterFor(step) {
        switch (step) {
        case 1: return flow.federation
        case 2: return flow.monitoring
        case 3: return flow.commandLineTool
        case 4: return flow.openAtLogin
        default: return flow.pair
        }
    }
    function componentFor(step) {
        switch (step) {
        case 1: return federationStep
        case 2: return monitoringStep
        case 3: return commandLineToolStep
        case 4: return openAtLoginStep
        default: return pairStep
        }
    }
    function show(animated) {
        const forward = flow.isMovingForward
        const leaving = current
        const slide = slideComponent.createObject(switcher, { width: switcher.width, height: switcher.height })
        componentFor(flow.step).createObject(slide, { presenter: presenterFor(flow.step), clock: switcher.clock })
        current = slide
        if (!animated)
            return
        slide.enter(forward ? 80 : -80)
        if (leaving)
            leaving.leave(forward ? -80 : 80)
    }

    Component.onCompleted: show(false)
    Connections {
        target: switcher.flow
        function onStepChanged() { switcher.show(true) }
    }

    Component { id: slideComponent; Slide {} }
    Component { id: pairStep; PairStep { anchors.fill: parent } }
    Component { id: federationStep; FederationStep { anchors.fill: parent } }
    Component { id: monitoringStep; MonitoringStep { anchors.fill: parent } }
    Component { id: commandLineToolStep; CommandLineToolStep { anchors.fill: parent } }
    Component { id: openAtLoginStep; OpenAtLoginStep { anchors.fill: parent } }
}
