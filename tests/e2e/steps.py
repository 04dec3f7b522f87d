"""The checked steps of an end-to-end run: one line per step, and the run's exit code."""


class Steps:
    def __init__(self, name):
        self.name = name
        self.failures = []

    def check(self, step, ok, detail=""):
        print(f"{'ok  ' if ok else 'FAIL'} {step}{': ' + detail if detail else ''}")
        if not ok:
            self.failures.append(step)

    def verdict(self):
        """Prints the summary line; 1 if any step failed, else 0."""
        return verdict(self.name, self.failures)


def verdict(name, failures):
    if failures:
        print(f"{name}: {len(failures)} step(s) failed")
        return 1
    print(f"{name}: every step as expected")
    return 0
