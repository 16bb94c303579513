"""Runs orvantis_replicates on a small world and reads what it writes back into numpy arrays."""

from __future__ import annotations

import dataclasses
import os
import subprocess

import numpy as np

import worlds

# Columns of a record, in the order the replicate driver writes them.
COLUMNS = (
    "finished",
    "root_time_first",
    "root_time_last",
    "total_length",
    "pair_time",
    "dna_mutations",
    "dna_segregating",
    "dna_pairwise",
    "microsat_mutations",
    "microsat_variance",
)


@dataclasses.dataclass
class Demography:
    """Sizes and arrivals of population 0 as the backward walk reads them."""

    end_time: int
    nrows: int
    ncols: int
    neighbours: np.ndarray  # (C, 4): north, south, east, west cell index, -1 for none
    sizes: np.ndarray  # (T + 1, C)
    arrivals: np.ndarray  # (T + 1, C, 4): from the north, south, east and west neighbours


def read_demography(path: str) -> Demography:
    raw = np.fromfile(path, dtype="<i4")
    end_time, cells, nrows, ncols = (int(v) for v in raw[:4])
    offset = 4
    neighbours = raw[offset : offset + 4 * cells].reshape(cells, 4).astype(np.int64)
    offset += 4 * cells
    values = raw[offset:].reshape(end_time + 1, cells, 5).astype(np.int64)
    return Demography(end_time, nrows, ncols, neighbours, values[:, :, 0], values[:, :, 1:])


def read_records(path: str) -> dict[str, np.ndarray]:
    data = np.fromfile(path, dtype="<f8").reshape(-1, len(COLUMNS))
    return {name: data[:, i] for i, name in enumerate(COLUMNS)}


@dataclasses.dataclass
class Run:
    """One call of the replicate driver: a world, its samples and chromosome, a master seed."""

    world: worlds.World
    samples: list
    chromosome: worlds.Chromosome
    simulations: int
    seed: int


def execute(binary: str, run: Run, directory: str, dump: bool = False):
    """Writes the study into `directory`, runs it, and returns (records, demography or None)."""
    worlds.write_world(run.world, directory)
    settings = os.path.join(directory, "settings.txt")
    worlds.write_samples(run.world, run.samples, os.path.join(directory, "samples.smp"))
    worlds.write_genetics(run.chromosome, os.path.join(directory, "genetics.par"))
    worlds.write_settings(
        run.world, settings, "samples.smp", "genetics.par", simulations=run.simulations
    )
    records = os.path.join(directory, "records.bin")
    command = [binary, "--seed", str(run.seed), "--records", records]
    command += ["--log", os.path.join(directory, "replicates.log")]
    demography = os.path.join(directory, "demography.bin")
    if dump:
        command += ["--dump-demography", demography]
    command.append(settings)
    result = subprocess.run(command, capture_output=True, text=True, check=False)
    if result.returncode != 0:
        raise RuntimeError(
            f"{' '.join(command)} exited with {result.returncode}: {result.stderr.strip()}"
        )
    return read_records(records), (read_demography(demography) if dump else None)


def demography_only(binary: str, world: worlds.World, directory: str) -> Demography:
    """The stored demography of a world, without genetic simulations."""
    worlds.write_world(world, directory)
    settings = os.path.join(directory, "settings.txt")
    worlds.write_settings(world, settings)
    demography = os.path.join(directory, "demography.bin")
    command = [binary, "--dump-demography", demography]
    command += ["--log", os.path.join(directory, "replicates.log"), settings]
    result = subprocess.run(command, capture_output=True, text=True, check=False)
    if result.returncode != 0:
        raise RuntimeError(
            f"{' '.join(command)} exited with {result.returncode}: {result.stderr.strip()}"
        )
    return read_demography(demography)
