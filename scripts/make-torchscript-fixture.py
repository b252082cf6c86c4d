#!/usr/bin/python3
"""Writes tests/data/tinyvessel.pt and its side file tinyvessel.json: the smallest vessel
network a user could export from PyTorch as TorchScript. One input plane in, one logit
per pixel out: a 3 x 3 convolution whose only non-zero weight is 2 at the centre, so its
probability is the sigmoid of twice the input and the test can check every value.
Needs Debian's python3-torch.  Usage: /usr/bin/python3 scripts/make-torchscript-fixture.py"""
import json
import pathlib

import torch


class TinyVessel(torch.nn.Module):
    def __init__(self):
        super().__init__()
        self.conv = torch.nn.Conv2d(1, 1, 3, padding=1)
        with torch.no_grad():
            self.conv.weight.zero_()
            self.conv.weight[0, 0, 1, 1] = 2.0
            self.conv.bias.zero_()

    def forward(self, x):
        return self.conv(x)


def main():
    out = pathlib.Path(__file__).resolve().parent.parent / "tests" / "data"
    out.mkdir(parents=True, exist_ok=True)
    torch.jit.script(TinyVessel()).save(str(out / "tinyvessel.pt"))
    side = {"channel": "green", "vessels": "dark", "threshold": 0.5, "scale_kind": "none"}
    (out / "tinyvessel.json").write_text(json.dumps(side, indent=2) + "\n")


if __name__ == "__main__":
    main()
